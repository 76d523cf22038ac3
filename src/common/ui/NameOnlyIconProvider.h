#pragma once

#include <QFileIconProvider>
#include <QMimeDatabase>

// Icons and type names for the file dialogs, decided by the file's name
// alone. Qt's own provider asks QMimeDatabase, which opens a file to read
// its first bytes when the name says nothing (data.db-wal, data.db-shm);
// closing that descriptor drops every SQLite lock the program holds on the
// file, so listing the shop's folder could cost it its locks.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

private:
    QMimeType mimeType(const QFileInfo &info) const;
    QMimeDatabase m_mimeTypes;
};
