#pragma once
// The table of titration points. For now the view shows its class name; the grid is built on
// CBaseView and CDC.
#include "app/BaseView.h"
#include "framework/Commands.h"

class CRView1 : public CBaseView {
public:
  explicit CRView1(QWidget* parent = nullptr) : CBaseView(1, parent) {}
  const char* GetRuntimeClassName() const override { return "CRView1"; }
  int GetCategoryNameId() const override { return ids::IDS_CATEGORY_DATA; }
};
