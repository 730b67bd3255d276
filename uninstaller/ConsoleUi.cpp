#include "uninstaller/ConsoleUi.h"

namespace vexa::uninstaller {

void ConsoleUninstallUi::ShowMessage(const std::string& text, MessageIcon icon) {
  out_ << kCaption << (icon == MessageIcon::Error ? ": error: " : ": ") << text;
  if (text.empty() || text.back() != '\n') out_ << '\n';
  out_.flush();
}

void ConsoleUninstallUi::OpenReport(const std::string& path) {
  out_ << kCaption << ": list of uninstall troubles: " << path << '\n';
  out_.flush();
}

} // namespace vexa::uninstaller
