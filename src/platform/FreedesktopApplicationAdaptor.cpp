#include "FreedesktopApplicationAdaptor.h"

#include "ApplicationService.h"

#include <QUrl>

FreedesktopApplicationAdaptor::FreedesktopApplicationAdaptor(ApplicationService *service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
}

void FreedesktopApplicationAdaptor::Activate(const QVariantMap &)
{
    emit m_service->activateRequested();
}

void FreedesktopApplicationAdaptor::Open(const QStringList &uris, const QVariantMap &)
{
    QList<QUrl> files;
    for (const QString &uri : uris) {
        const QUrl url(uri, QUrl::StrictMode);
        if (url.isValid())
            files << url;
    }
    emit m_service->openRequested(files);
}

void FreedesktopApplicationAdaptor::ActivateAction(const QString &actionName, const QVariantList &,
                                                   const QVariantMap &)
{
    emit m_service->actionRequested(actionName);
}
