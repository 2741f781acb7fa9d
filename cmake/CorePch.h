// CorePch.h: the headers precompiled for the layers above the platform: the
// standard library and the QtCore value types that the platform's headers
// expose. It holds nothing those layers may not include themselves.
#pragma once
#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>
