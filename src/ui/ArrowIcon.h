#pragma once

#include <QIcon>

// An arrow drawn at whatever size it is shown: one, two or three chevrons pointing up or down.
QIcon arrowIcon(bool up, int chevrons);
