#pragma once
// The launcher's message boxes.
#include "launcher/Launcher.h"

namespace vexa::launcher {

class QtLauncherUi final : public LauncherUi {
public:
  bool Confirm() override;
  void ShowError(const std::string& text) override;
};

} // namespace vexa::launcher
