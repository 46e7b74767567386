// The dialogs' layout: the vectors of tests/fixtures/vectors/templates.txt.
#include <gtest/gtest.h>

#include <map>

#include "resources/templates.h"
#include "support/test_support.h"

using namespace platform;

// Each listed control, found by its id (the next id-less one for -1), has its
// kind, rectangle and states, in the listed order; controls appended after
// them and a larger dialog still pass.
TEST(DialogTemplates, ListedControlsKeepKindPlaceStatesAndOrder) {
    const std::map<std::string, const DialogTemplate*> dialogs = {
        {"main", &MainDialogTemplate()}, {"settings", &DefineDialogTemplate()}};
    constexpr const char* kKinds[] = {"button", "default", "radio",    "check", "group", "static",
                                      "list",   "edit",    "trackbar", "combo", "icon"};
    constexpr const char* kStates[] = {"disabled", "hidden",  "group",  "tabstop", "centred",
                                       "readonly", "vscroll", "border", "notify",  "vertical"};
    std::map<std::string, std::size_t> next; // per dialog: the index after the last row's control
    for (const auto& v : testsupport::Vectors("templates.txt")) {
        const DialogTemplate& t = *dialogs.at(v[0]);
        if (v[1] == "size") {
            EXPECT_GE(t.w, std::stoi(v[2])) << v[0];
            EXPECT_GE(t.h, std::stoi(v[3])) << v[0];
            continue;
        }
        std::size_t i = v[1] == "-1" ? next[v[0]] : 0;
        while (i < t.controls.size() && t.controls[i].id != std::stoi(v[1]))
            ++i;
        ASSERT_LT(i, t.controls.size()) << v[0] << " has no control " << v[1] << " here";
        EXPECT_GE(i, next[v[0]]) << v[0] << ' ' << v[1] << " comes too early";
        next[v[0]] = i + 1;
        const ControlTemplate& c = t.controls[i];
        std::string states;
        for (unsigned bit = 0; bit < std::size(kStates); ++bit)
            if (c.flags & (1u << bit))
                states += (states.empty() ? "" : " ") + std::string(kStates[bit]);
        EXPECT_EQ(std::string(kKinds[static_cast<int>(c.kind)]) + '|' + std::to_string(c.x) + ',' +
                      std::to_string(c.y) + ',' + std::to_string(c.w) + ',' + std::to_string(c.h) +
                      '|' + (states.empty() ? "-" : states),
                  v[2] + '|' + v[3] + '|' + v[4])
            << v[0] << ' ' << v[1];
    }
}
