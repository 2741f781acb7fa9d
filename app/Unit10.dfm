object Form10: TForm10
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Операция (10)'
  ClientHeight = 208
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  OnActivate = FormActivate
  OnCreate = FormCreate
  TextHeight = 13
  object GroupBox1: TGroupBox
    Left = 0
    Top = 0
    Width = 440
    Height = 166
    Align = alClient
    Caption = 'Цена операции'
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 30
      Width = 120
      Height = 13
      Caption = '№ по порядку'
    end
    object Label2: TLabel
      Left = 16
      Top = 62
      Width = 120
      Height = 13
      Caption = 'Операция'
    end
    object Label3: TLabel
      Left = 16
      Top = 94
      Width = 120
      Height = 13
      Caption = 'Вид'
    end
    object Label4: TLabel
      Left = 16
      Top = 126
      Width = 120
      Height = 13
      Caption = 'Цена'
    end
    object Edit1: TEdit
      Left = 144
      Top = 27
      Width = 80
      Height = 21
      NumbersOnly = True
      TabOrder = 0
    end
    object Edit2: TEdit
      Left = 144
      Top = 59
      Width = 248
      Height = 21
      Enabled = False
      ReadOnly = True
      TabStop = False
      TabOrder = 1
    end
    object Button3: TButton
      Left = 398
      Top = 57
      Width = 26
      Height = 25
      Caption = '...'
      TabOrder = 2
      OnClick = Button3Click
    end
    object cb_operation_state: TDBLookupComboBox
      Left = 144
      Top = 91
      Width = 280
      Height = 21
      KeyField = 'id'
      ListField = 's_caption'
      ListSource = DataSource1
      TabOrder = 3
    end
    object Edit3: TEdit
      Left = 144
      Top = 123
      Width = 120
      Height = 21
      TabOrder = 4
      OnKeyPress = Edit3KeyPress
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 166
    Width = 440
    Height = 42
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 1
    object Button1: TButton
      Left = 16
      Top = 9
      Width = 100
      Height = 25
      Caption = 'Записать'
      Default = True
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button2: TButton
      Left = 324
      Top = 9
      Width = 100
      Height = 25
      Cancel = True
      Caption = 'Отмена'
      ModalResult = 2
      TabOrder = 1
    end
  end
  object operation_state: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    Filter = 'id<2'
    Filtered = True
    TableName = 'mnf_operation.operation_state'
    object operation_stateid: TBCDField
      FieldName = 'id'
      Precision = 15
      Size = 0
    end
    object operation_states_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
  end
  object DataSource1: TDataSource
    DataSet = operation_state
  end
  object max_num: TADOQuery
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    Parameters = <
      item
        Name = 'id_pt'
        DataType = ftInteger
      end>
    SQL.Strings = (
      'select (case when max(o.orderby) is null then 0 else max(o.orderby) end) +1 as orderby from mnf_operation.operation o '
      'where o.id_proc_tech=:id_pt')
    object max_numorderby: TIntegerField
      FieldName = 'orderby'
    end
  end
end
