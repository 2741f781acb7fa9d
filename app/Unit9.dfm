object Form9: TForm9
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Ведение оераций'
  ClientHeight = 144
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
    Height = 102
    Align = alClient
    Caption = ''
    TabOrder = 0
    object Label1: TLabel
      Left = 16
      Top = 30
      Width = 120
      Height = 13
      Caption = 'Операция'
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
      Caption = 'Описание'
    end
    object Edit2: TEdit
      Left = 144
      Top = 59
      Width = 280
      Height = 21
      TabOrder = 1
    end
  end
  object Panel1: TPanel
    Left = 0
    Top = 102
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
end
