#include "gui/MenuDescription.h"

#include "gui/Menu.h"

namespace gui {

namespace {

std::string escapeAmpersands(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

void describeInto(const Menu& menu, std::vector<MenuEntry>& entries, std::vector<MenuItem*>& flat) {
    for (int i = 0; i < menu.itemCount(); ++i) {
        MenuItem* item = menu.itemAt(i);
        if (item == nullptr || !item->visible.getValue()) continue;
        flat.push_back(item);
        MenuEntry entry;
        entry.item = item;
        entry.number = static_cast<int>(flat.size());
        entry.checked = item->isChecked.getValue();
        entry.enabled = item->enabled.getValue();
        if (item->isSeparator()) {
            entry.kind = MenuEntry::Kind::kSeparator;
        } else {
            entry.label = escapeAmpersands(item->text.getValue());
            if (item->itemCount() > 0) {
                entry.kind = MenuEntry::Kind::kSubmenu;
                describeInto(*item, entry.children, flat);
            }
        }
        entries.push_back(std::move(entry));
    }
}

} // namespace

MenuItem* MenuDescription::itemForNumber(int number) const {
    if (number < 1 || number > static_cast<int>(flat.size())) return nullptr;
    return flat[static_cast<std::size_t>(number - 1)];
}

MenuDescription describeMenu(const Menu& menu) {
    MenuDescription description;
    describeInto(menu, description.entries, description.flat);
    return description;
}

} // namespace gui
