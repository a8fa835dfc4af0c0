#include "Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QResource>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString context;
    QString source;
    QStringList translations;  // one, or one per plural form
    QString state;             // the translation's type: "", "unfinished", "vanished", "obsolete"
};

QList<Message> readCatalogue(const QString &path, QString *error)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message = Message{context, {}, {}, {}};
        } else if (name == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.state = xml.attributes().value(QLatin1String("type")).toString();
            // A plural translation holds its forms as children.
            QString text;
            while (!(xml.isEndElement() && xml.name() == QLatin1String("translation")) && !xml.atEnd()) {
                xml.readNext();
                if (xml.isCharacters())
                    text += xml.text();
                else if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
                    message.translations.append(xml.readElementText());
            }
            if (message.translations.isEmpty())
                message.translations.append(text);
            messages.append(message);
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return messages;
}

bool isLive(const Message &message)
{
    return message.state != QLatin1String("vanished") && message.state != QLatin1String("obsolete");
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d{1,2}|n)"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found.append(it.next().captured(0));
    found.sort();
    found.removeDuplicates();
    return found;
}

QStringList catalogues()
{
    return QString::fromUtf8(KELVRA_TRANSLATION_SOURCES).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

void removeInstalledTranslators()
{
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!catalogues().isEmpty(), "no translation sources are configured");
        const QString rcc = qEnvironmentVariable("KELVRA_TEST_APP_DIR") + QStringLiteral("/Kelvra.Config.rcc");
        QVERIFY2(QResource::registerResource(rcc), qPrintable(rcc));
    }
    void cleanup() { removeInstalledTranslators(); }

    // A string added to the interface without its translation fails here:
    // lupdate merges the sources as they are now into a copy of each
    // catalogue, and every live message must come out translated.
    void everyInterfaceStringIsTranslated_data()
    {
        QTest::addColumn<QString>("catalogue");
        for (const QString &path : catalogues())
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
    void everyInterfaceStringIsTranslated()
    {
        QFETCH(QString, catalogue);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString merged = work.filePath(QFileInfo(catalogue).fileName());
        QVERIFY(QFile::copy(catalogue, merged));
        QFile::setPermissions(merged, QFile::ReadOwner | QFile::WriteOwner);

        QStringList arguments{QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                              QStringLiteral("-extensions"), QStringLiteral("qml,js,cpp,h")};
        arguments += QString::fromUtf8(KELVRA_TRANSLATABLE_DIRS).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        arguments += {QStringLiteral("-ts"), merged};
        QProcess lupdate;
        lupdate.start(QStringLiteral(KELVRA_LUPDATE), arguments);
        QVERIFY2(lupdate.waitForFinished(60000), qPrintable(lupdate.errorString()));
        QCOMPARE(lupdate.exitCode(), 0);

        QString error;
        const QList<Message> messages = readCatalogue(merged, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QStringList untranslated;
        for (const Message &message : messages) {
            if (!isLive(message))
                continue;
            const bool empty = std::any_of(message.translations.cbegin(), message.translations.cend(),
                                           [](const QString &text) { return text.trimmed().isEmpty(); });
            if (message.state == QLatin1String("unfinished") || empty)
                untranslated.append(message.context + QStringLiteral(": ") + message.source);
        }
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable(QStringLiteral("%1 strings without a translation (run the update_translations "
                                           "target and translate them):\n  %2")
                                .arg(untranslated.size())
                                .arg(untranslated.join(QStringLiteral("\n  ")))));
    }

    // "%1" lost in a translation shows a raw placeholder or drops the name
    // of the scene the message is about.
    void translationsKeepEveryPlaceholder()
    {
        for (const QString &path : catalogues()) {
            QString error;
            const QList<Message> messages = readCatalogue(path, &error);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            for (const Message &message : messages) {
                if (!isLive(message) || message.state == QLatin1String("unfinished"))
                    continue;
                for (const QString &translation : message.translations)
                    QVERIFY2(placeholders(translation) == placeholders(message.source),
                             qPrintable(QStringLiteral("%1: \"%2\" -> \"%3\"")
                                            .arg(message.context, message.source, translation)));
            }
        }
    }

    // The catalogue reaches the program through the interface resource, and
    // only the languages we ship are taken.
    void languageFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << "de_DE" << "de";
        QTest::newRow("Austrian German") << "de_AT" << "de";
        QTest::newRow("French, not shipped") << "fr_FR" << "en";
        QTest::newRow("English") << "en_GB" << "en";
    }
    void languageFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(Translations::install(*QCoreApplication::instance(), QLocale(locale)), language);

        const QString catalogue = catalogues().constFirst();
        QString error;
        const QList<Message> messages = readCatalogue(catalogue, &error);
        const auto sample = std::find_if(messages.cbegin(), messages.cend(), [](const Message &message) {
            return isLive(message) && message.state.isEmpty() && !placeholders(message.source).contains("%n")
                && message.translations.constFirst() != message.source;
        });
        QVERIFY2(sample != messages.cend(), "the catalogue has no finished translation to check with");
        const QString shown = QCoreApplication::translate(qPrintable(sample->context), qPrintable(sample->source));
        QCOMPARE(shown, language == QLatin1String("en") ? sample->source : sample->translations.constFirst());
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
