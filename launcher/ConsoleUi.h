#pragma once
// The launcher without windows. Unattended, the answer is Yes; otherwise the question is
// asked on the terminal, and without a terminal the answer is No. Errors go to the stream.
#include "launcher/Launcher.h"

#include <istream>
#include <ostream>

namespace vexa::launcher {

class ConsoleLauncherUi final : public LauncherUi {
public:
  ConsoleLauncherUi(bool unattended, bool interactive, std::istream& in, std::ostream& out)
      : unattended_(unattended), interactive_(interactive), in_(in), out_(out) {}
  bool Confirm() override;
  void ShowError(const std::string& text) override;

private:
  bool unattended_;
  bool interactive_;
  std::istream& in_;
  std::ostream& out_;
};

} // namespace vexa::launcher
