object Form22: TForm22
  Left = 0
  Top = 0
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Норматив'
  ClientHeight = 300
  ClientWidth = 372
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  Position = poMainFormCenter
  OnCreate = FormCreate
  TextHeight = 13
  object DBGrid1: TDBGrid
    Left = 0
    Top = 0
    Width = 372
    Height = 258
    Align = alClient
    DataSource = DataSource1
    Options = [dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit]
    TabOrder = 0
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Color = clWindowText
    TitleFont.Height = -11
    TitleFont.Name = 'Tahoma'
    TitleFont.Style = [fsBold]
    OnColEnter = DBGrid1ColEnter
    OnColExit = DBGrid1ColExit
    Columns = <
      item
        FieldName = 'norma'
        Title.Alignment = taCenter
        Title.Caption = 'Норматив'
        Width = 133
      end
      item
        FieldName = 'price'
        Title.Alignment = taCenter
        Title.Caption = 'Цена'
        Width = 105
      end
      item
        FieldName = 'prize'
        Title.Alignment = taCenter
        Title.Caption = 'Премия, %'
        Width = 82
      end>
  end
  object Panel1: TPanel
    Left = 0
    Top = 258
    Width = 372
    Height = 42
    Align = alBottom
    BevelOuter = bvNone
    TabOrder = 1
    object Button1: TButton
      Left = 16
      Top = 9
      Width = 100
      Height = 25
      Cancel = True
      Caption = 'Сохранить'
      Default = True
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button2: TButton
      Left = 256
      Top = 9
      Width = 100
      Height = 25
      Caption = 'Удалить'
      TabOrder = 1
      OnClick = Button2Click
    end
  end
  object norm: TADOTable
    Connection = DataModule6.ADO_DB
    CursorType = ctStatic
    IndexFieldNames = 'norma'
    TableName = 'accounts_dep.norm'
    BeforePost = normBeforePost
    object normid: TAutoIncField
      FieldName = 'id'
      ReadOnly = True
    end
    object normo_id: TIntegerField
      FieldName = 'o_id'
    end
    object normnorma: TIntegerField
      FieldName = 'norma'
    end
    object normprice: TFloatField
      FieldName = 'price'
      DisplayFormat = '#0.00#'
    end
    object normprize: TIntegerField
      FieldName = 'prize'
    end
  end
  object DataSource1: TDataSource
    DataSet = norm
  end
end
