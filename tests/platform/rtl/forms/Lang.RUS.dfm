object FormX1: TFormX
  Caption = 'Русский'
end
