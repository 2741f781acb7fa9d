// QtPch.h: Qt and standard headers precompiled once for the platform libraries
// (gui and data), the only layer that reaches the toolkit.
#pragma once
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>
