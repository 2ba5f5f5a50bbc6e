#include "app/owner_question.h"

#include "platform/files.h"

bool OwnerChangeMayGoOn(ui::Window window, const std::string& path, SignatureChange change, Owner& owner) {
  owner = Owner::Keep;
  Status kept = platform::CheckOwnerKept(platform::ReplaceTarget(path));
  if (!platform::IsOwnerChange(kept)) return true;  // any other failure is the write's to report
  const std::string text = "stowr writes the changed file anew, and you cannot give the new file the owner of this "
                           "one.\r\r" +
                           kept.message + ".\r\r" + AnywayQuestion(change);
  if (ui::ShowMessage(window, text, "stowr - owner", ui::kMbYesNo | ui::kMbIconWarning | ui::kMbDefaultButton2) !=
      ui::kIdYes)
    return false;
  owner = Owner::MayChange;
  return true;
}
