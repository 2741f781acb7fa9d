object Form23: TForm23
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Авторизация'
  ClientHeight = 178
  ClientWidth = 305
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poScreenCenter
  Visible = True
  OnActivate = FormActivate
  OnCreate = FormCreate
  TextHeight = 13
  object Label1: TLabel
    Left = 16
    Top = 19
    Width = 70
    Height = 13
    Caption = 'Логин'
  end
  object Label2: TLabel
    Left = 16
    Top = 51
    Width = 70
    Height = 13
    Caption = 'Пароль'
  end
  object Label4: TLabel
    Left = 16
    Top = 83
    Width = 70
    Height = 13
    Caption = 'Стиль'
  end
  object Label3: TLabel
    Left = 16
    Top = 112
    Width = 273
    Height = 13
    AutoSize = False
  end
  object Edit1: TEdit
    Left = 96
    Top = 16
    Width = 193
    Height = 21
    TabOrder = 0
  end
  object Edit2: TEdit
    Left = 96
    Top = 48
    Width = 193
    Height = 21
    PasswordChar = '*'
    TabOrder = 1
  end
  object ComboBox1: TComboBox
    Left = 96
    Top = 80
    Width = 193
    Height = 22
    Style = csOwnerDrawFixed
    Sorted = True
    TabOrder = 4
    TabStop = False
    OnChange = ComboBox1Change
  end
  object Button1: TButton
    Left = 96
    Top = 138
    Width = 93
    Height = 25
    Caption = 'Вход'
    Default = True
    TabOrder = 2
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 196
    Top = 138
    Width = 93
    Height = 25
    Caption = 'Отмена'
    Cancel = True
    TabOrder = 3
    OnClick = Button2Click
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 5500
    OnTimer = Timer1Timer
  end
end
