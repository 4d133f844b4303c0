#include "setup/setup_application.h"

bool SetupApplication::RunInstallation() { return true; }
