#include "framework/CmdTarget.h"

namespace {
template <typename Map> auto Find(Map& map, int id) -> decltype(map.begin()) {
  auto it = map.upper_bound(id);
  if (it == map.begin()) return map.end();
  --it;
  return id <= it->second.last ? it : map.end();
}
} // namespace

bool CCmdTarget::OnCmdMsg(int id) {
  auto it = Find(commands_, id);
  if (it == commands_.end()) return false;
  auto handler = it->second.handler; // the handler may rebind the map
  handler(id);
  return true;
}

bool CCmdTarget::OnUpdateCmdMsg(CCmdUI& ui) {
  auto it = Find(updates_, ui.m_nID);
  if (it == updates_.end()) return false;
  it->second.handler(ui);
  return true;
}

bool CCmdTarget::HasCommandHandler(int id) const {
  auto& map = const_cast<std::map<int, Range>&>(commands_);
  return Find(map, id) != map.end();
}

void CCmdTarget::OnCommand(int id, std::function<void()> handler) {
  commands_[id] = Range{id, [h = std::move(handler)](int) { h(); }};
}

void CCmdTarget::OnCommandRange(int first, int last, std::function<void(int)> handler) {
  commands_[first] = Range{last, std::move(handler)};
}

void CCmdTarget::OnUpdateCommand(int id, std::function<void(CCmdUI&)> handler) {
  updates_[id] = UpdateRange{id, std::move(handler)};
}

void CCmdTarget::OnUpdateCommandRange(int first, int last, std::function<void(CCmdUI&)> handler) {
  updates_[first] = UpdateRange{last, std::move(handler)};
}
