// The about box: the program's name, version and rights notice, and OK.
#pragma once

#include "platform/prompts.h"

class CAboutDlg final : public platform::ModalDialogLogic {
public:
    const platform::DialogTemplate& Template() const override;
    void OnInitDialog(platform::DialogHost&) override {}
};
