object frmBase: TTestForm
  Caption = '基础窗口'
  Font.Charset = GB2312_CHARSET
  object pnlMain: TTestControl
    Left = 8
    object btnOk: TTestControl
      Caption = '确定'
      OnClick = btnOkClick
    end
    object edtDate: TTestControl
      Items.Strings = (
        'a'
        'b')
      OnExit = FieldExit
    end
  end
end
