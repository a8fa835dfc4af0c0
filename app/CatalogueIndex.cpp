#include "CatalogueIndex.h"

#include "CatalogueIndexRecord.h"
#include "EngineSupport.h"
#include "SharedStrings.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QtConcurrent>

#include <algorithm>

namespace {

const QString kDriver = QStringLiteral("QSQLITE");

// SQLite's primary result codes as Qt's driver reports them.
bool isBusy(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6");   // SQLITE_BUSY, SQLITE_LOCKED
}

bool isDamage(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("11") || code == QLatin1String("26");   // SQLITE_CORRUPT, SQLITE_NOTADB
}

void log(const QString &path, const QString &what)
{
    EngineSupport::LogLine(false, QStringLiteral("catalogue index %1: %2").arg(path, what));
}

// A file that is there and not empty but does not start as every SQLite
// database does is damaged (or not ours); SQLite would only say so at the
// first query.
bool hasDatabaseHeader(QFile &file)
{
    static const QByteArray header("SQLite format 3\0", 16);
    return file.size() == 0 || file.read(16) == header;
}

qint64 nowNs()
{
    return QDateTime::currentMSecsSinceEpoch() * 1000000;
}

} // namespace

CatalogueIndex::CatalogueIndex(const QString &filePath, qint64 settleNs)
    : m_filePath(filePath)
    , m_settleNs(settleNs)
{
    static QAtomicInt counter;
    m_connection = QStringLiteral("kelvra-catalogue-index-%1").arg(counter.fetchAndAddRelaxed(1));
}

CatalogueIndex::~CatalogueIndex()
{
    disconnect();
    // Freeing 100,000 entries took about a tenth of the catalogue's time on
    // the GUI thread at start-up; nothing waits for it, so the pool does it.
    if (m_entries.size() > 1000)
        QtConcurrent::run([entries = std::move(m_entries)]() mutable { entries.clear(); });
}

bool CatalogueIndex::connect()
{
    if (QSqlDatabase::contains(m_connection))
        return QSqlDatabase::database(m_connection, false).isOpen();
    if (!QSqlDatabase::isDriverAvailable(kDriver))
        return false;
    QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_connection);
    db.setDatabaseName(m_filePath);
    // A lock held by someone else is not waited for: the scene files are
    // there to be read instead.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    return db.open();
}

void CatalogueIndex::disconnect()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

CatalogueIndex::State CatalogueIndex::open()
{
    if (m_state != State::Unopened)
        return m_state;
    m_openedAtNs = nowNs();
    m_state = inspect();
    if (m_state == State::Usable)
        m_state = readEntries();
    if (m_state != State::Usable)
        m_entries.clear();
    disconnect();
    return m_state;
}

CatalogueIndex::State CatalogueIndex::inspect()
{
    const QFileInfo info(m_filePath);
    if (!info.exists() && !info.isSymLink())
        return State::Fresh;
    QFile file(m_filePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        log(m_filePath, QStringLiteral("not a readable file; ignored"));
        return State::Ignored;
    }
    if (!hasDatabaseHeader(file)) {
        log(m_filePath, QStringLiteral("not a database; rebuilt"));
        return State::Rebuild;
    }
    file.close();
    if (!connect()) {
        log(m_filePath, QStringLiteral("cannot be opened; ignored"));
        return State::Ignored;
    }

    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    const auto pragma = [&query](const char *name, qint64 *value) {
        if (!query.exec(QStringLiteral("PRAGMA %1").arg(QLatin1String(name))) || !query.next())
            return false;
        *value = query.value(0).toLongLong();
        query.finish();
        return true;
    };
    qint64 applicationId = 0, version = 0, objects = 0;
    const bool read = pragma("application_id", &applicationId) && pragma("user_version", &version)
        && query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next();
    if (!read) {
        const QSqlError error = query.lastError();
        if (isDamage(error)) {
            log(m_filePath, QStringLiteral("damaged; rebuilt"));
            return State::Rebuild;
        }
        log(m_filePath, (isBusy(error) ? QStringLiteral("locked; ignored") : QStringLiteral("unreadable; ignored")));
        return State::Ignored;
    }
    objects = query.value(0).toLongLong();
    query.finish();

    if (applicationId != kApplicationId) {
        if (applicationId == 0 && version == 0 && objects == 0)
            return State::Fresh;
        log(m_filePath, QStringLiteral("belongs to another program; ignored"));
        return State::Ignored;
    }
    if (version > kSchemaVersion) {
        log(m_filePath, QStringLiteral("written by a newer version; ignored"));
        return State::Ignored;
    }
    if (version < kSchemaVersion) {
        log(m_filePath, QStringLiteral("written by an older version; rebuilt"));
        return State::Rebuild;
    }
    return State::Usable;
}

CatalogueIndex::State CatalogueIndex::readEntries()
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    bool ok = query.exec(QStringLiteral("SELECT path, entry FROM scenes"));
    if (ok) {
        SharedStrings strings;
        while (query.next()) {
            Stored &stored = m_entries[pathKey(query.value(0).toString())];
            // A record that cannot be decoded leaves its file to be read.
            if (!CatalogueIndexRecord::decode(query.value(1).toByteArray(), &stored.identity, &stored.metadata, &strings))
                stored.identity = FileIdentity();
        }
        // A damaged page shows only when the walk reaches it.
        ok = !query.lastError().isValid();
    }
    if (ok)
        return State::Usable;
    const QSqlError error = query.lastError();
    if (isBusy(error)) {
        log(m_filePath, QStringLiteral("locked; ignored"));
        return State::Ignored;
    }
    log(m_filePath, QStringLiteral("tables damaged; rebuilt"));
    return State::Rebuild;
}

// FNV-1a over the path's UTF-16 code units: Qt 5's qHash gives 32 bits, and
// at 100,000 paths two of them would likely share one.
quint64 CatalogueIndex::pathKey(const QString &path)
{
    quint64 hash = 14695981039346656037ULL;
    for (const QChar unit : path) {
        hash ^= unit.unicode();
        hash *= 1099511628211ULL;
    }
    return hash;
}

bool CatalogueIndex::restore(const QString &path, const FileIdentity &identity, SceneMetadata *metadata) const
{
    const auto found = m_entries.constFind(pathKey(path));
    if (found == m_entries.constEnd())
        return false;
    if (!found->identity.valid || !found->identity.untouchedSince(identity))
        return false;
    *metadata = found->metadata;
    found->confirmed.storeRelaxed(1);
    m_restored.fetchAndAddRelaxed(1);
    return true;
}

bool CatalogueIndex::replaceFile()
{
    disconnect();
    // The journal belongs to the file it is removed with.
    for (const char *suffix : {"", "-journal", "-wal", "-shm"}) {
        const QString name = m_filePath + QLatin1String(suffix);
        if (QFileInfo::exists(name) && !QFile::remove(name))
            return false;
    }
    return true;
}

bool CatalogueIndex::update(const QVector<Entry> &read)
{
    const bool written = writeChanges(read);
    disconnect();
    return written;
}

bool CatalogueIndex::writeChanges(const QVector<Entry> &read)
{
    if (m_state == State::Unopened || m_state == State::Ignored)
        return false;
    // A file changed so recently that it could change again without any
    // of its times moving is read again at the next start instead.
    const qint64 settled = m_openedAtNs - m_settleNs;
    QVector<const Entry *> kept;
    kept.reserve(read.size());
    for (const Entry &entry : read) {
        if (entry.identity.valid && entry.identity.changedNs < settled && entry.identity.modifiedNs < settled)
            kept.append(&entry);
    }
    const bool anyStale = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                      [](const Stored &stored) { return !stored.confirmed.loadRelaxed(); });
    if (m_state == State::Usable && kept.isEmpty() && !anyStale)
        return true;

    if (m_state == State::Rebuild) {
        if (!replaceFile())
            return false;
        m_state = State::Fresh;
    }
    if (!connect())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // Only a database without tables takes it: the file then shrinks when
    // entries go, instead of keeping the pages of a catalogue long removed.
    if (m_state == State::Fresh)
        query.exec(QStringLiteral("PRAGMA auto_vacuum = FULL"));
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool ok = true;
    if (m_state == State::Fresh) {
        ok = query.exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId))
            && query.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion))
            && query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS scenes "
                                         "(path TEXT PRIMARY KEY NOT NULL, entry BLOB NOT NULL)"));
    }
    // Entries are kept by a hash of their path: the paths of the stale ones
    // are read again, only when there are any.
    QStringList stale;
    if (ok && m_state == State::Usable && anyStale) {
        ok = query.exec(QStringLiteral("SELECT path FROM scenes"));
        while (ok && query.next()) {
            const QString path = query.value(0).toString();
            const auto entry = m_entries.constFind(pathKey(path));
            if (entry == m_entries.cend() || !entry->confirmed.loadRelaxed())
                stale.append(path);
        }
        ok = ok && !query.lastError().isValid();
        query.finish();
    }
    if (ok && !stale.isEmpty()) {
        ok = query.prepare(QStringLiteral("DELETE FROM scenes WHERE path = ?"));
        for (int i = 0; ok && i < stale.size(); ++i) {
            query.bindValue(0, stale.at(i));
            ok = query.exec();
        }
    }
    if (ok && !kept.isEmpty()) {
        ok = query.prepare(QStringLiteral("INSERT OR REPLACE INTO scenes (path, entry) VALUES (?, ?)"));
        for (int i = 0; ok && i < kept.size(); ++i) {
            query.bindValue(0, kept.at(i)->path);
            query.bindValue(1, CatalogueIndexRecord::encode(kept.at(i)->identity, kept.at(i)->metadata));
            ok = query.exec();
        }
    }
    query.finish();
    if (!ok || !query.exec(QStringLiteral("COMMIT"))) {
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    m_state = State::Usable;
    for (const QString &path : qAsConst(stale))
        m_entries.remove(pathKey(path));
    for (const Entry *entry : qAsConst(kept)) {
        Stored &stored = m_entries[pathKey(entry->path)];
        stored.identity = entry->identity;
        stored.metadata = entry->metadata;
        stored.confirmed.storeRelaxed(1);
    }
    return true;
}
