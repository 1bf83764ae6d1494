#pragma once

#include "app/automation/AutomationObject.h"

class ImpressConnection;

// The application object: "visible", "Presentations" and "Quit" over a
// LibreOffice desktop.
class ImpressApplication : public AutomationObject {
public:
    explicit ImpressApplication(std::shared_ptr<ImpressConnection> connection);

private:
    std::shared_ptr<ImpressConnection> m_connection;
    AutomationObjectPtr m_presentations;
    bool m_visible = false;
};
