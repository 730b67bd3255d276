#pragma once
// The uninstaller without windows: unattended, or where no display can be had. Nothing is
// asked: a shared file no program uses is kept ("No To All" — leaving it harms nothing). The
// messages and the path of the troubles report go to the given stream (standard error).
#include "uninstaller/Uninstaller.h"

#include <ostream>

namespace vexa::uninstaller {

class ConsoleUninstallUi final : public UninstallUi {
public:
  explicit ConsoleUninstallUi(std::ostream& out) : out_(out) {}
  void ShowProgress() override {}
  void ShowEntry(const std::string&) override {}
  void CloseProgress() override {}
  SharedAnswer AskRemoveSharedFile(const std::string&) override { return SharedAnswer::NoToAll; }
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void OpenReport(const std::string& path) override;

private:
  std::ostream& out_;
};

} // namespace vexa::uninstaller
