inherited frmChild: TTestChildForm
  Caption = 'Child'
  inherited pnlMain: TTestControl
    inherited btnOk: TTestControl
      Left = 20
    end
    object btnExtra: TTestControl
      Caption = #39069#22806
      OnClick = btnExtraClick
    end
  end
end
