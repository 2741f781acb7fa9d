inherited FormY1: TFormY
  Caption = 'Derived'
  inherited Button1: TButtonX
    Left = 16
  end
  object Button3: TButtonX
    Caption = #1053#1086#1074#1072#1103
    Buddy = Button1
  end
end
