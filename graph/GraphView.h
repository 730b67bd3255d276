#pragma once
// The graph of the titration: classic view (pH against V with its derivative) and linearised
// view (G against V with the approximating lines). For now the view shows its class name; its
// ranges, drawing and interaction are built on CBaseView and CDC.
#include "app/BaseView.h"
#include "framework/Commands.h"

class CRView7 : public CBaseView {
public:
  explicit CRView7(QWidget* parent = nullptr) : CBaseView(2, parent) {}
  const char* GetRuntimeClassName() const override { return "CRView7"; }
  int GetCategoryNameId() const override { return ids::IDS_CATEGORY_GRAPHICS; }
};
