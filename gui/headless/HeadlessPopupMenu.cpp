#include "gui/headless/HeadlessPopupMenu.h"

#include "gui/ModalScope.h"
#include "gui/UserInterface.h"
#include "gui/headless/ModalResponder.h"

namespace gui::headless {

namespace {

void collect(const Menu& menu, std::vector<MenuItem*>& items) {
    for (int i = 0; i < menu.itemCount(); ++i) {
        MenuItem* item = menu.itemAt(i);
        if (!item->visible.getValue()) continue;
        items.push_back(item);
        collect(*item, items);
    }
}

} // namespace

HeadlessPopupMenu::HeadlessPopupMenu(UserInterface& userInterface)
    : userInterface_(userInterface), alive_(std::make_shared<bool>(true)) {}

HeadlessPopupMenu::~HeadlessPopupMenu() {
    *alive_ = false;
}

std::vector<MenuItem*> HeadlessPopupMenu::flatten(const Menu& menu) {
    std::vector<MenuItem*> items;
    collect(menu, items);
    return items;
}

void HeadlessPopupMenu::show(const Point&) {
    UserInterface& ui = userInterface_;
    if (!ui.isGuiThread()) return;
    const std::shared_ptr<bool> alive = alive_;
    openEvent.notify(this);
    if (!*alive) return;
    ui.setPointerDrag(UserInterface::PointerDrag::kMenuOpened);
    const std::vector<MenuItem*> items = flatten(*this);
    ModalRequest request;
    request.kind = ModalRequest::Kind::kMenu;
    for (const MenuItem* item : items)
        request.items.push_back(item->text.getValue());
    ModalAnswer answer;
    {
        ModalScope modal(ui, alive);
        answer = ModalResponder::answer(request);
        modal.finish();
        if (!modal.survived()) return;
    }
    if (answer.item < 0 || answer.item >= static_cast<int>(items.size())) return;
    // The items may have changed while the menu was open: only the same item runs.
    if (flatten(*this) != items) return;
    MenuItem* item = items[static_cast<std::size_t>(answer.item)];
    if (item->isSeparator() || !item->enabled.getValue()) return;
    item->fireSelected();
}

} // namespace gui::headless
