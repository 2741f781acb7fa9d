object Form27: TForm27
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Ведение должностей'
  ClientHeight = 180
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  OnMouseWheelDown = FormMouseWheelDown
  OnMouseWheelUp = FormMouseWheelUp
  TextHeight = 13
  object GroupBox1: TGroupBox
    Left = 0
    Top = 0
    Width = 440
    Height = 138
    Align = alClient
    Caption = 'Данные о позиции'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 30
      Width = 120
      Height = 13
      Caption = 'Наименование'
    end
    object Label2: TLabel
      Left = 16
      Top = 62
      Width = 120
      Height = 13
      Caption = 'Описание'
    end
    object Label4: TLabel
      Left = 16
      Top = 94
      Width = 120
      Height = 13
      Caption = 'Подразделение'
    end
    object Edit1: TEdit
      Left = 144
      Top = 27
      Width = 280
      Height = 21
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = []
      ParentFont = False
      TabOrder = 0
    end
    object Edit2: TEdit
      Left = 144
      Top = 59
      Width = 280
      Height = 21
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = []
      ParentFont = False
      TabOrder = 1
    end
    object p_department: TDBLookupComboBox
      Left = 144
      Top = 91
      Width = 280
      Height = 21
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'Tahoma'
      Font.Style = []
      KeyField = 'id'
      ListField = 's_caption'
      ListSource = DataSource1
      ParentFont = False
      TabOrder = 2
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 138
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
  object cb_department: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    IndexFieldNames = 's_caption'
    TableName = 'cmn_department.department'
    object cb_departments_caption: TWideStringField
      FieldName = 's_caption'
      Size = 254
    end
    object cb_departments_description: TWideStringField
      FieldName = 's_description'
      Size = 4000
    end
    object cb_departmentid_parent: TBCDField
      FieldName = 'id_parent'
      Precision = 15
      Size = 0
    end
    object cb_departmenttype: TBCDField
      FieldName = 'type'
      Precision = 15
      Size = 0
    end
    object cb_departments_type: TWideStringField
      FieldName = 's_type'
      Size = 254
    end
    object cb_departmentid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
  end
  object DataSource1: TDataSource
    DataSet = cb_department
  end
end
