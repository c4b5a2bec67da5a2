#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/Layout.h"

namespace veltrano {
namespace {

// The front ends look parents and bound controls up by name: a misspelt one would leave a
// control floating or a button dead.
TEST(Layout, EveryNameIsUniqueEveryParentIsAGroupAndEveryChildFitsInIt) {
    for (const WindowLayout* layout : {&mainWindowLayout(), &folderChooserLayout()}) {
        SCOPED_TRACE(std::string(layout->caption));
        std::set<std::string_view> names;
        for (const ControlRow& row : layout->controls) {
            SCOPED_TRACE(std::string(row.name));
            EXPECT_TRUE(names.insert(row.name).second);
            if (row.kind == ControlKind::Endpoint) continue;
            Rect outer{0, 0, layout->rect.width, layout->rect.height};
            if (!row.parent.empty()) {
                const ControlRow* parent = layout->find(row.parent);
                ASSERT_NE(parent, nullptr);
                EXPECT_EQ(parent->kind, ControlKind::GroupBox);
                outer = parent->rect;
            }
            EXPECT_LE(row.rect.x + row.rect.width, outer.width);
            EXPECT_LE(row.rect.y + row.rect.height, outer.height);
        }
    }
    for (std::string_view name :
         {control::kInfoBox, control::kRosterBox, control::kSendRosterButton,
          control::kChooseButton, control::kDirectoryBox, control::kCounter, control::kEndpoint}) {
        EXPECT_NE(mainWindowLayout().find(name), nullptr) << name;
    }
    for (std::string_view name :
         {control::kChooserDrives, control::kChooserDirectories, control::kChooserPath,
          control::kChooserOk, control::kChooserCancel}) {
        EXPECT_NE(folderChooserLayout().find(name), nullptr) << name;
    }
}

}  // namespace
}  // namespace veltrano
