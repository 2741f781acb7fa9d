object Form2: TForm2
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Работники'
  ClientHeight = 272
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poDesktopCenter
  OnActivate = FormActivate
  OnClose = FormClose
  OnCreate = FormCreate
  OnMouseWheelDown = FormMouseWheelDown
  OnMouseWheelUp = FormMouseWheelUp
  TextHeight = 13
  object GroupBox1: TGroupBox
    Left = 0
    Top = 0
    Width = 440
    Height = 230
    Align = alClient
    Caption = 'Данные о работнике'
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 30
      Width = 120
      Height = 13
      Caption = 'Фамилия'
    end
    object Edit1: TEdit
      Left = 144
      Top = 27
      Width = 280
      Height = 21
      TabOrder = 0
    end
    object Label2: TLabel
      Left = 16
      Top = 62
      Width = 120
      Height = 13
      Caption = 'Имя'
    end
    object Edit2: TEdit
      Left = 144
      Top = 59
      Width = 280
      Height = 21
      TabOrder = 1
    end
    object Label3: TLabel
      Left = 16
      Top = 94
      Width = 120
      Height = 13
      Caption = 'Отчество'
    end
    object Edit3: TEdit
      Left = 144
      Top = 91
      Width = 280
      Height = 21
      TabOrder = 2
    end
    object Label4: TLabel
      Left = 16
      Top = 126
      Width = 120
      Height = 13
      Caption = 'Должность'
    end
    object LCB_staffpos: TDBLookupComboBox
      Left = 144
      Top = 123
      Width = 280
      Height = 21
      DropDownRows = 10
      KeyField = 'id'
      ListField = 's_caption'
      ListSource = DS_staffpos
      TabOrder = 3
    end
    object Label5: TLabel
      Left = 16
      Top = 158
      Width = 120
      Height = 13
      Caption = 'Подразделение'
    end
    object LCB_department: TDBLookupComboBox
      Left = 144
      Top = 155
      Width = 280
      Height = 21
      KeyField = 'id'
      ListField = 's_caption'
      ListSource = DS_department
      TabOrder = 4
    end
    object Label6: TLabel
      Left = 16
      Top = 190
      Width = 120
      Height = 13
      Caption = 'Роль'
    end
    object LCB_roles: TDBLookupComboBox
      Left = 144
      Top = 187
      Width = 280
      Height = 21
      KeyField = 'id'
      ListField = 's_caption'
      ListSource = DS_roles
      TabOrder = 5
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 230
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
  object cmd_person: TADOCommand
    Connection = DataModule6.ADO_DB
    Parameters = <>
  end
  object staffpos: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    IndexFieldNames = 's_caption'
    TableName = 'hrms_staffpos.staffpos'
  end
  object DS_staffpos: TDataSource
    DataSet = staffpos
  end
  object department: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    IndexFieldNames = 's_caption'
    TableName = 'cmn_department.department'
  end
  object DS_department: TDataSource
    DataSet = department
  end
  object roles: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    IndexFieldNames = 's_caption'
    TableName = 'adm_role.roles'
  end
  object DS_roles: TDataSource
    DataSet = roles
  end
end
