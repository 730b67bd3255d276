#include "launcher/ConsoleUi.h"

#include <string>

namespace vexa::launcher {

bool ConsoleLauncherUi::Confirm() {
  if (unattended_) return true;
  if (!interactive_) {
    out_ << kCaption << ": " << kQuestion
         << "\nNo answer can be given here; set VEXA_UNATTENDED=1 to uninstall without "
            "questions.\n";
    return false;
  }
  out_ << kCaption << ": " << kQuestion << " [y/N] ";
  out_.flush();
  std::string answer;
  if (!std::getline(in_, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

void ConsoleLauncherUi::ShowError(const std::string& text) {
  out_ << kCaption << ": error: " << text << '\n';
  out_.flush();
}

} // namespace vexa::launcher
