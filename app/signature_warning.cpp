#include "app/signature_warning.h"

#include <string>

#include "app/state.h"
#include "store/plan.h"

namespace {

// The first paragraph names the change; the rest says what the user will see on Windows.
const char* Opening(SignatureChange change) {
  switch (change) {
    case SignatureChange::RemoveOne:
      return "This program is digitally signed, and removing this chunk changes the signed part of the file.";
    case SignatureChange::RemoveAll:
      return "This program is digitally signed, and removing all chunks changes the signed part of the file.";
    case SignatureChange::Replace:
      return "This program is digitally signed, and replacing this chunk changes the signed part of the file.";
    case SignatureChange::Add: break;
  }
  return "This program is digitally signed, and this chunk cannot be added without changing the signed part of "
         "the file.";
}

}  // namespace

const char* AnywayQuestion(SignatureChange change) {
  switch (change) {
    case SignatureChange::RemoveOne: return "Remove the chunk anyway?";
    case SignatureChange::RemoveAll: return "Remove all chunks anyway?";
    case SignatureChange::Replace: return "Replace the chunk anyway?";
    case SignatureChange::Add: break;
  }
  return "Add the chunk anyway?";
}

bool AcceptSignatureLoss(ui::Window window, SignatureChange change) {
  std::string text = std::string(Opening(change)) +
                     "\r\rIts digital signature will no longer be valid: Windows will treat the program as "
                     "unsigned, and may warn before running it or refuse to run it.\r\r" +
                     AnywayQuestion(change);
  return ui::ShowMessage(window, text, "stowr - signature",
                         ui::kMbYesNo | ui::kMbIconWarning | ui::kMbDefaultButton2) == ui::kIdYes;
}

bool RemovalMayGoOn(ui::Window window, std::size_t index, SignatureChange change) {
  return !RemovalBreaksSignature(Signature(), Chunks(), index) || AcceptSignatureLoss(window, change);
}
