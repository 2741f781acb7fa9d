// TestPch.h: headers every test executable compiles once.
#pragma once
#include <gtest/gtest.h>
#include <QtCore>
#include <QtGui>
#include <QtWidgets>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>
