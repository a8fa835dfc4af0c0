#include "Commands.h"

#include "Thumbnail.h"

#include <CScene.h>

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUuid>

#include <cstdio>

namespace Commands {

namespace {

// Generated content stays in memory until it is written.
constexpr qint64 kMaxContentBytes = 512LL * 1024 * 1024;

void printError(const QString &text)
{
    std::fprintf(stderr, "kvscene: %s\n", text.toLocal8Bit().constData());
}

void printOut(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

int usageError(const QString &text)
{
    printError(text);
    printError(QStringLiteral("run \"kvscene --help\" for the usage"));
    return UsageError;
}

bool parseArguments(QCommandLineParser &parser, const QStringList &arguments, int positionalCount,
                    const QString &what)
{
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return false;
    }
    if (parser.positionalArguments().size() != positionalCount) {
        printError(QStringLiteral("expected %1").arg(what));
        return false;
    }
    return true;
}

struct TypeName { const char *name; quint32 flags; };
const TypeName kTypes[] = {
    {"background", CScene::Background},
    {"foreground", CScene::Foreground},
    {"postprocessing", CScene::Postprocessing},
    {"transition", CScene::Transition},
    {"standalone", 0},
};

QString typeName(quint32 flags)
{
    if (flags & CScene::Background)
        return QStringLiteral("Background");
    if (flags & CScene::Foreground)
        return QStringLiteral("Foreground");
    if (flags & CScene::Postprocessing)
        return QStringLiteral("Postprocessing");
    if (flags & CScene::Transition)
        return QStringLiteral("Transition");
    return QStringLiteral("Standalone");
}

// A given image is kept as it is when it already is a JPEG; anything else
// Qt can read is converted.
bool readThumbnail(const QString &path, QByteArray *jpeg, QString *error)
{
    QImageReader reader(path);
    const QByteArray format = reader.format();
    if (format.isEmpty()) {
        *error = QStringLiteral("cannot read the image \"%1\"").arg(path);
        return false;
    }
    if (format == "jpeg" || format == "jpg") {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the image \"%1\"").arg(path);
            return false;
        }
        *jpeg = file.readAll();
        return true;
    }
    const QImage image = reader.read();
    *jpeg = image.isNull() ? QByteArray() : Thumbnail::EncodeJpeg(image);
    if (jpeg->isEmpty()) {
        *error = QStringLiteral("cannot convert the image \"%1\" to JPEG").arg(path);
        return false;
    }
    return true;
}

// Stand-in for a scene's assets: bytes that do not compress, the same for
// the same name, so scene files have a realistic size.
QByteArray generatedContent(const QString &name, qint64 size)
{
    QByteArray bytes(int(size), Qt::Uninitialized);
    QRandomGenerator random(quint32(qHash(name, 7)));
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

} // namespace

QString Usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  kvscene create OUT.kvc --name NAME [--author A] [--id ID] [--description D]\n"
        "         [--license L] [--tag T]... [--type background|foreground|postprocessing|\n"
        "         transition|standalone | --type-flags N] [--no-relicensing]\n"
        "         [--date YYYY-MM-DDThh:mm:ss] [--thumbnail IMAGE] [--content-size BYTES]\n"
        "         [--force]\n"
        "  kvscene show FILE.kvc\n"
        "  kvscene tag add FILE.kvc TAG\n"
        "  kvscene tag remove FILE.kvc TAG\n");
}

int Create(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Scene name."), QStringLiteral("name"));
    const QCommandLineOption author(QStringLiteral("author"), QStringLiteral("Author."), QStringLiteral("author"));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("Identifier (default: a new UUID)."), QStringLiteral("id"));
    const QCommandLineOption description(QStringLiteral("description"), QStringLiteral("Description."), QStringLiteral("text"));
    const QCommandLineOption license(QStringLiteral("license"), QStringLiteral("Licence type, e.g. \"CC BY 4.0\"."), QStringLiteral("type"));
    const QCommandLineOption tag(QStringLiteral("tag"), QStringLiteral("A tag; repeat for more."), QStringLiteral("tag"));
    const QCommandLineOption type(QStringLiteral("type"), QStringLiteral("Scene type."), QStringLiteral("type"));
    const QCommandLineOption typeFlags(QStringLiteral("type-flags"), QStringLiteral("Whole type flag word (decimal or 0x hex)."), QStringLiteral("flags"));
    const QCommandLineOption noRelicensing(QStringLiteral("no-relicensing"), QStringLiteral("Relicensing not possible."));
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("Date, YYYY-MM-DDThh:mm:ss (default: now)."), QStringLiteral("date"));
    const QCommandLineOption thumbnail(QStringLiteral("thumbnail"), QStringLiteral("Thumbnail image (default: drawn)."), QStringLiteral("image"));
    const QCommandLineOption contentSize(QStringLiteral("content-size"), QStringLiteral("Bytes of generated content."), QStringLiteral("bytes"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace an existing file."));
    parser.addOptions({name, author, id, description, license, tag, type, typeFlags, noRelicensing,
                       date, thumbnail, contentSize, force});
    if (!parseArguments(parser, arguments, 1, QStringLiteral("one output file: kvscene create OUT.kvc --name NAME")))
        return UsageError;

    const QString out = parser.positionalArguments().first();
    CScene scene;
    if (parser.value(name).trimmed().isEmpty())
        return usageError(QStringLiteral("--name is required and cannot be empty"));
    scene.SetName(parser.value(name));
    scene.SetAuthor(parser.value(author));
    scene.SetDesc(parser.value(description));
    scene.SetLicenseType(parser.value(license));
    scene.SetId(parser.isSet(id) ? parser.value(id) : QUuid::createUuid().toString(QUuid::WithoutBraces));
    scene.tagList = parser.values(tag);
    scene.relicensingFlag = !parser.isSet(noRelicensing);

    if (parser.isSet(type) && parser.isSet(typeFlags))
        return usageError(QStringLiteral("give either --type or --type-flags, not both"));
    if (parser.isSet(type)) {
        bool known = false;
        for (const TypeName &entry : kTypes) {
            if (parser.value(type) == QLatin1String(entry.name)) {
                scene.typeFlags = entry.flags;
                known = true;
            }
        }
        if (!known)
            return usageError(QStringLiteral("unknown --type \"%1\"").arg(parser.value(type)));
    } else if (parser.isSet(typeFlags)) {
        bool ok = false;
        scene.typeFlags = parser.value(typeFlags).toUInt(&ok, 0);
        if (!ok)
            return usageError(QStringLiteral("--type-flags needs an unsigned number, not \"%1\"").arg(parser.value(typeFlags)));
    }

    QDateTime when = QDateTime::currentDateTime();
    if (parser.isSet(date)) {
        when = QDateTime::fromString(parser.value(date), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (!when.isValid())
            return usageError(QStringLiteral("--date needs YYYY-MM-DDThh:mm:ss, not \"%1\"").arg(parser.value(date)));
    }
    scene.sceneDate.year = quint16(when.date().year());
    scene.sceneDate.month = quint16(when.date().month());
    scene.sceneDate.day = quint16(when.date().day());
    scene.sceneDate.hour = quint16(when.time().hour());
    scene.sceneDate.minute = quint16(when.time().minute());
    scene.sceneDate.second = quint16(when.time().second());

    if (parser.isSet(contentSize)) {
        bool ok = false;
        const qint64 bytes = parser.value(contentSize).toLongLong(&ok);
        if (!ok || bytes < 0 || bytes > kMaxContentBytes)
            return usageError(QStringLiteral("--content-size needs a number of bytes from 0 to %1").arg(kMaxContentBytes));
        if (bytes > 0)
            scene.SetEntry(QStringLiteral("content.bin"), generatedContent(scene.GetName(), bytes));
    }

    QByteArray jpeg;
    if (parser.isSet(thumbnail)) {
        QString error;
        if (!readThumbnail(parser.value(thumbnail), &jpeg, &error)) {
            printError(error);
            return FileError;
        }
    } else {
        jpeg = Thumbnail::EncodeJpeg(Thumbnail::Draw(scene.GetName(), scene.typeFlags));
        if (jpeg.isEmpty()) {
            printError(QStringLiteral("cannot encode the thumbnail (is the JPEG image plugin installed?)"));
            return FileError;
        }
    }
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), jpeg);

    if (QFileInfo::exists(out) && !parser.isSet(force)) {
        printError(QStringLiteral("\"%1\" exists; use --force to replace it").arg(out));
        return FileError;
    }
    if (!scene.Save(out, true)) {
        const QString reason = scene.LastError().isEmpty() ? QString() : QStringLiteral(": ") + scene.LastError();
        printError(QStringLiteral("cannot write \"%1\"%2").arg(out, reason));
        return FileError;
    }
    return Done;
}

int Show(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parseArguments(parser, arguments, 1, QStringLiteral("one scene file: kvscene show FILE.kvc")))
        return UsageError;
    const QString path = parser.positionalArguments().first();
    CScene scene;
    if (!scene.Load(path, false)) {
        printError(QStringLiteral("cannot read the scene file \"%1\"").arg(path));
        return FileError;
    }
    const SceneDate &d = scene.sceneDate;
    QJsonObject object;
    object.insert(QStringLiteral("path"), scene.GetPath());
    object.insert(QStringLiteral("id"), scene.GetId());
    object.insert(QStringLiteral("name"), scene.GetName());
    object.insert(QStringLiteral("author"), scene.GetAuthor());
    object.insert(QStringLiteral("description"), scene.GetDesc());
    object.insert(QStringLiteral("license"), scene.GetLicenseType());
    object.insert(QStringLiteral("licenseUrl"), CScene::GetLicenseUrl(scene.GetLicenseType()));
    object.insert(QStringLiteral("tags"), QJsonArray::fromStringList(scene.GetTags()));
    object.insert(QStringLiteral("typeFlags"), double(scene.typeFlags));
    object.insert(QStringLiteral("type"), typeName(scene.typeFlags));
    object.insert(QStringLiteral("relicensing"), scene.relicensingFlag);
    object.insert(QStringLiteral("date"),
                  QString::asprintf("%04u-%02u-%02uT%02u:%02u:%02u", uint(d.year), uint(d.month),
                                    uint(d.day), uint(d.hour), uint(d.minute), uint(d.second)));
    printOut(QJsonDocument(object).toJson(QJsonDocument::Indented));
    return Done;
}

int Tag(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parseArguments(parser, arguments, 3, QStringLiteral("kvscene tag add|remove FILE.kvc TAG")))
        return UsageError;
    const QStringList positional = parser.positionalArguments();
    const QString action = positional.at(0);
    const QString path = positional.at(1);
    const QString tag = positional.at(2);
    if (action != QLatin1String("add") && action != QLatin1String("remove"))
        return usageError(QStringLiteral("unknown tag action \"%1\": use add or remove").arg(action));
    if (tag.isEmpty())
        return usageError(QStringLiteral("the tag cannot be empty"));

    CScene scene;
    if (!scene.Load(path, true)) {
        if (CScene().Load(path, false)) {
            printError(QStringLiteral("cannot edit \"%1\": it holds entries a rewrite could not keep unchanged "
                                      "(encrypted, unusually compressed, or named in a legacy encoding)").arg(path));
        } else {
            printError(QStringLiteral("cannot read the scene file \"%1\"").arg(path));
        }
        return FileError;
    }
    if (action == QLatin1String("add")) {
        if (scene.tagList.contains(tag)) {
            printError(QStringLiteral("\"%1\" already has the tag \"%2\"").arg(path, tag));
            return Done;
        }
        scene.tagList.append(tag);
    } else if (scene.tagList.removeAll(tag) == 0) {
        printError(QStringLiteral("\"%1\" has no tag \"%2\"").arg(path, tag));
        return Done;
    }
    if (!scene.Save(path, false)) {
        // A rewrite reads the archive again to carry its entries over; when
        // that read failed, the file was never going to be written.
        const QString reason = scene.LastError().isEmpty() ? QString() : QStringLiteral(": ") + scene.LastError();
        if (!CScene().Load(path, false))
            printError(QStringLiteral("cannot read the scene file \"%1\"%2").arg(path, reason));
        else
            printError(QStringLiteral("cannot write the scene file \"%1\"%2").arg(path, reason));
        return FileError;
    }
    return Done;
}

} // namespace Commands
