object FormX1: TFormX
  Caption = 'Base'
  object Button1: TButtonX
    Caption = 'OK'
    Left = 8
    OnClick = Button1Click
  end
end
