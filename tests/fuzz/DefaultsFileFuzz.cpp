// Writes arbitrary bytes as a defaults file and opens the store on it, as a start-up after a
// crash, a full disk or a hand edit would. The store must open, read every key without a crash,
// and whatever it read must read back the same after it has written the file itself.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzProfile.h"
#include "common/AppPaths.h"
#include "common/UserDefaults.h"

namespace {

const QString kSuite = QStringLiteral("fuzz");

QVariantMap readEverything(const UserDefaults &defaults, const QStringList &keys)
{
    QVariantMap values;
    for (const QString &key : keys) {
        defaults.boolValue(key);
        defaults.integerValue(key);
        defaults.doubleValue(key);
        defaults.stringValue(key);
        defaults.dictionaryValue(key);
        defaults.arrayValue(key);
        defaults.boolForKey(key);
        defaults.integerForKey(key);
        if (defaults.contains(key))
            values.insert(key, defaults.object(key));
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    setUpFuzzProfile((*argv)[0]);
    AppPaths::ensureFolder(AppPaths::configFolder(), true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    UserDefaults::reloadAllForTesting();
    const QString path = UserDefaults::suite(kSuite).filePath();
    QFile::remove(path + QStringLiteral(".corrupt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(bytes);
    }
    UserDefaults::reloadAllForTesting();

    // Keys as the file names them, and a few it may not have.
    QStringList keys = {QStringLiteral("kProxyMode"), QString(), QStringLiteral("missing")};
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    keys += root.keys();

    UserDefaults &defaults = UserDefaults::suite(kSuite);
    const QVariantMap before = readEverything(defaults, keys);

    // A write of our own rewrites the whole file; what was read must survive it.
    defaults.setBool(QStringLiteral("fuzz.touched"), true);
    UserDefaults::reloadAllForTesting();
    UserDefaults &reread = UserDefaults::suite(kSuite);
    const QVariantMap after = readEverything(reread, keys);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key() == QLatin1String("fuzz.touched"))
            continue;
        FUZZ_CHECK(after.contains(it.key()));
        FUZZ_CHECK(after.value(it.key()) == it.value());
    }
    FUZZ_CHECK(reread.boolValue(QStringLiteral("fuzz.touched")) == std::optional<bool>(true));
    return 0;
}
