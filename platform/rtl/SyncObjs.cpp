// SyncObjs.cpp: the main thread through Qt's application object.
#include "platform/rtl/SyncObjs.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

bool IsMainThread()
{
  const QCoreApplication* App = QCoreApplication::instance();
  return App && QThread::currentThread() == App->thread();
}

void QueueOnMainThread(std::function<void()> Proc)
{
  if (QCoreApplication* App = QCoreApplication::instance())
    QMetaObject::invokeMethod(App, std::move(Proc), Qt::QueuedConnection);
}

// Events posted to a QObject go with it.
struct TMainThreadCalls::TContext : QObject {};

TMainThreadCalls::TMainThreadCalls() : FContext(std::make_unique<TContext>()) {}

TMainThreadCalls::~TMainThreadCalls() = default;

void TMainThreadCalls::Queue(std::function<void()> Proc)
{
  QMetaObject::invokeMethod(FContext.get(), std::move(Proc), Qt::QueuedConnection);
}
