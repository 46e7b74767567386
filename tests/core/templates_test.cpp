// The dialogs' layout: the vectors of tests/fixtures/vectors/templates.txt.
#include <gtest/gtest.h>

#include <sstream>

#include "resources/templates.h"
#include "support/test_support.h"

// Each listed control, the next with its id after the last row's, has its
// kind, rectangle and states; controls appended after them and a larger
// dialog still pass.
TEST(DialogTemplates, ListedControlsKeepKindPlaceStatesAndOrder) {
    constexpr const char* kKinds[] = {"button", "default", "radio",    "check", "group", "static",
                                      "list",   "edit",    "trackbar", "combo", "icon"};
    std::size_t i = 0; // in the dialog of the last size row: the place after the last control
    for (const auto& v : testsupport::Vectors("templates.txt")) {
        const auto& t = v[0] == "main" ? MainDialogTemplate() : DefineDialogTemplate();
        if (v[1] == "size") {
            EXPECT_GE(t.w, std::stoi(v[2])) << v[0];
            EXPECT_GE(t.h, std::stoi(v[3])) << v[0];
            i = 0;
            continue;
        }
        while (i < t.controls.size() && t.controls[i].id != std::stoi(v[1]))
            ++i;
        ASSERT_LT(i, t.controls.size()) << v[0] << ": no control " << v[1] << " after the last";
        const auto& c = t.controls[i++];
        std::ostringstream got;
        got << kKinds[static_cast<int>(c.kind)] << '|' << c.x << ',' << c.y << ',' << c.w << ','
            << c.h << '|' << std::hex << c.flags;
        EXPECT_EQ(got.str(), v[2] + '|' + v[3] + '|' + v[4]) << v[0] << ' ' << v[1];
    }
}
