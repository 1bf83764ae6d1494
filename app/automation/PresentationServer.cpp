#include "app/automation/PresentationServer.h"

PresentationServer::~PresentationServer() = default;
