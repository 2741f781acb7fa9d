// QtPch.h: Qt and standard headers precompiled once for the platform libraries.
#pragma once
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>
