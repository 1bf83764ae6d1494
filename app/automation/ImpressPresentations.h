#pragma once

#include "app/automation/AutomationObject.h"

class ImpressConnection;

// The collection of open presentations; its one member is "Open".
class ImpressPresentations : public AutomationObject {
public:
    explicit ImpressPresentations(std::shared_ptr<ImpressConnection> connection);

private:
    AutomationValue open(const QString& path);

    std::shared_ptr<ImpressConnection> m_connection;
};
