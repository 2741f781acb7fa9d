object Form14: TForm14
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Ведение контрагентов'
  ClientHeight = 208
  ClientWidth = 440
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poOwnerFormCenter
  Scaled = False
  OnCreate = FormCreate
  TextHeight = 13
  object GroupBox1: TGroupBox
    Left = 0
    Top = 0
    Width = 440
    Height = 166
    Align = alClient
    Caption = 'Данные о позиции'
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 30
      Width = 120
      Height = 13
      Caption = 'Наименование'
    end
    object Edit2: TEdit
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
      Caption = 'Полное ниамен.'
    end
    object Edit1: TEdit
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
      Caption = 'ИНН'
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
      Caption = 'ОГРН'
    end
    object Edit4: TEdit
      Left = 144
      Top = 123
      Width = 280
      Height = 21
      TabOrder = 3
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
    object Button5: TButton
      Left = 16
      Top = 9
      Width = 100
      Height = 25
      Caption = 'Записать'
      Default = True
      TabOrder = 0
      OnClick = Button5Click
    end
    object Button6: TButton
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
end
