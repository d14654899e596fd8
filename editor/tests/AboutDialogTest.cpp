#include "editor/AboutDialog.h"

#include "editor/ZentorPluginInterface.h"
#include "editor/tests/EditorRig.h"
#include "gui/MultiLabel.h"
#include "gui/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class AboutTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor = std::make_unique<ZentorPluginInterface>(*ui, *model);
    }
    void closeEditor() override { editor.reset(); }
    AboutDialog* open(const VersionInfo& version) {
        auto* dialog = new AboutDialog(*editor, editor->genericDialogStyle(), version);
        dialog->parent.setValue(&ui->root());
        return dialog;
    }
    struct Label {
        std::string text;
        float x, y;
        int opacity;
    };
    static std::vector<Label> labels(AboutDialog& dialog) {
        std::vector<Label> out;
        for (gui::Control* child : dialog.children())
            if (auto* label = dynamic_cast<gui::MultiLabel*>(child))
                out.push_back({label->text(0)->text.getValue(), label->x.getValue(), label->y.getValue(),
                               label->opacity.getValue()});
        return out;
    }
    static const Label* find(const std::vector<Label>& all, const std::string& text) {
        for (const Label& l : all)
            if (l.text == text) return &l;
        return nullptr;
    }
    std::unique_ptr<ZentorPluginInterface> editor;
};

TEST_F(AboutTest, EachLabelsTextAndPlace) {
    const VersionInfo version("Varnel", "2.00", "Copyright (C) 2026 Zentor", "", "2026-03-05");
    AboutDialog* dialog = open(version);
    EXPECT_EQ(dialog->bounds.getValue(), ui->root().localRect());
    const std::vector<Label> all = labels(*dialog);
    struct Expected {
        const char* text;
        float x, y;
    };
    for (const Expected& e :
         {Expected{"Zentor Varnel", 124, 29}, Expected{"version 2.00", 124, 45},
          Expected{"support@zentor.example", 124, 71}, Expected{"https://zentor.example", 124, 87},
          Expected{"March 5, 2026", 124, 113}, Expected{"Copyright (C) 2026 Zentor", 124, 171},
          Expected{"CLAP plug-in format", 124, 197}}) {
        const Label* l = find(all, e.text);
        ASSERT_NE(l, nullptr) << e.text;
        EXPECT_FLOAT_EQ(l->x, e.x) << e.text;
        EXPECT_FLOAT_EQ(l->y, e.y) << e.text;
        EXPECT_EQ(l->opacity, 255) << e.text;
    }
    const Label* bits = find(all, "(64-bit)");
    ASSERT_NE(bits, nullptr);
    float versionWidth = 0.0f;
    for (gui::Control* child : dialog->children())
        if (auto* label = dynamic_cast<gui::MultiLabel*>(child);
            label && label->text(0)->text.getValue() == "version 2.00")
            versionWidth = label->width.getValue();
    EXPECT_GT(versionWidth, 0.0f);
    EXPECT_FLOAT_EQ(bits->x, 124 + versionWidth + 6);
    EXPECT_FLOAT_EQ(bits->y, 45);
    EXPECT_EQ(bits->opacity, 160);
}

TEST_F(AboutTest, DatesMonthsAndABadDate) {
    EXPECT_EQ(AboutDialog::formatDate({126, 0, 31}), "January 31, 2026");
    EXPECT_EQ(AboutDialog::formatDate({99, 11, 1}), "December 1, 1999");
    EXPECT_EQ(AboutDialog::formatDate({126, 12, 2}), "December 2, 2026");
    EXPECT_EQ(AboutDialog::formatDate({126, -3, 2}), "January 2, 2026");
    for (const char* bad : {"2026-13-05", "2026-02-30", "2026-3-05", "26-03-05", "2026-03-0x", ""}) {
        const VersionInfo version("Varnel", "2.00", "", "Built by hand", bad);
        EXPECT_FALSE(version.hasBuildDate()) << bad;
        const std::vector<Label> all = labels(*open(version));
        const Label* comments = find(all, "Built by hand");
        ASSERT_NE(comments, nullptr);
        EXPECT_FLOAT_EQ(comments->y, 197);
        bool emptyAt113 = false;
        for (const Label& l : all)
            emptyAt113 = emptyAt113 || (l.y == 113 && l.text.empty());
        EXPECT_TRUE(emptyAt113) << bad;
    }
    EXPECT_TRUE(VersionInfo("V", "", "", "", "2024-02-29").hasBuildDate());
}

// Fault: the dialog was recorded for deletion while the tree owned it.
TEST_F(AboutTest, DismissClosesOnceAtTheNextDrainAndTheTreeMayGoFirst) {
    const VersionInfo version("Varnel", "2.00", "", "", "2026-03-05");
    editor->showAboutDialog();
    ASSERT_EQ(ui->root().children().empty(), false);
    auto* dialog = dynamic_cast<AboutDialog*>(ui->root().children().back());
    ASSERT_NE(dialog, nullptr);
    dialog->mouseDown(0, gui::Point(10, 10), 8);
    dialog->keyPressed(gui::kKeyEscape, 0, 0);
    EXPECT_TRUE(dialog->isClosing());
    EXPECT_EQ(ui->root().children().back(), dialog);
    ui->advance(10);
    for (gui::Control* child : ui->root().children())
        EXPECT_EQ(dynamic_cast<AboutDialog*>(child), nullptr);
    // Dismissed, then deleted by the tree before the drain (ASan).
    AboutDialog* second = open(version);
    second->keyPressed(gui::kKeyEscape, 0, 0);
    delete second;
    ui->advance(10);
    // Open while the editor closes.
    open(version);
    editor.reset();
    ui->advance(10);
}

} // namespace
