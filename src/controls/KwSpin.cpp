#include "src/controls/KwSpin.h"

#include "platform/rtl/AnsiText.h"
#include "platform/vcl/Publisher.h"

KW_REGISTER_CLASS(TKwSpinEdit)

TKwSpinEdit::TKwSpinEdit(TComponent* AOwner) : TSpinEdit(AOwner) {}

void TKwSpinEdit::Change() {
  // Setting the text below comes back here; the outer call finishes the job
  // and reports the change once.
  if (FFiltering) return;
  AnsiString text = Text();
  const AnsiString original = text;
  // A sign after the first character was typed last: drop the last
  // character until no sign stands after the first one.
  for (char sign : {'+', '-'})
    while (text.size() > 1 && text.find(sign, 1) != AnsiString::npos) text.pop_back();
  if (text != original) {
    FFiltering = true;
    try {
      SetText(text);
      SetSelStart(static_cast<int>(text.size()));
    } catch (...) {
      FFiltering = false;
      throw;
    }
    FFiltering = false;
  }
  if (!Trim(Text()).empty()) TSpinEdit::Change();
}
