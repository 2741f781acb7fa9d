object Form34: TForm34
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Контрагенты'
  ClientHeight = 420
  ClientWidth = 830
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poDesktopCenter
  OnCreate = FormCreate
  TextHeight = 13
  object DBGrid1: TDBGrid
    Left = 0
    Top = 0
    Width = 830
    Height = 384
    Align = alClient
    DataSource = DataSource1
    Options = [dgTitles, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit]
    TabOrder = 1
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'Tahoma'
    TitleFont.Style = [fsBold]
    OnDblClick = Button2Click
    Columns = <
      item
        FieldName = 's_full_caption'
        Title.Alignment = taCenter
        Title.Caption = 'Наименование'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 500
      end
      item
        FieldName = 's_ogrn'
        Title.Alignment = taCenter
        Title.Caption = 'ОГРН'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 150
      end
      item
        FieldName = 's_inn'
        Title.Alignment = taCenter
        Title.Caption = 'ИНН'
        Title.Font.Charset = DEFAULT_CHARSET
        Title.Font.Color = clWindowText
        Title.Font.Height = -11
        Title.Font.Name = 'Tahoma'
        Title.Font.Style = [fsBold]
        Width = 150
      end>
  end
  object Panel1: TPanel
    Left = 0
    Top = 384
    Width = 830
    Height = 36
    Align = alBottom
    TabOrder = 0
    object Button1: TButton
      Left = 8
      Top = 6
      Width = 90
      Height = 25
      Caption = 'Добавить'
      Default = True
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button2: TButton
      Left = 104
      Top = 6
      Width = 90
      Height = 25
      Caption = 'Изменить'
      TabOrder = 1
      OnClick = Button2Click
    end
    object Button3: TButton
      Left = 200
      Top = 6
      Width = 90
      Height = 25
      Caption = 'Удалить'
      TabOrder = 2
      OnClick = Button3Click
    end
    object Edit1: TEdit
      Left = 310
      Top = 8
      Width = 406
      Height = 21
      TabOrder = 3
      OnChange = Edit1Change
      OnKeyDown = Edit1KeyDown
    end
    object Panel6: TPanel
      Left = 722
      Top = 1
      Width = 4
      Height = 34
      BevelOuter = bvNone
      TabOrder = 5
    end
    object Panel7: TPanel
      Left = 296
      Top = 1
      Width = 8
      Height = 34
      BevelOuter = bvNone
      TabOrder = 6
    end
    object Button4: TButton
      Left = 732
      Top = 6
      Width = 90
      Height = 25
      Anchors = [akTop, akRight]
      Cancel = True
      Caption = 'Выход'
      ModalResult = 2
      TabOrder = 4
    end
  end
  object DataSource1: TDataSource
    DataSet = DataModule6.jur_person
  end
end
