#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// A typed key-value store, one JSON file per suite, in the manner of the platform's user defaults.
//
// Values keep their type on disk (an Int stays an Int, a Bool a Bool), because callers decide on
// exactly that: a missing key, a key of another type and a key with a value are three different
// answers. Registered defaults answer when nothing is stored and are never written to disk.
//
// Number bridging follows the platform: a Bool or number reads as a Bool when it is 0 or 1, and
// as an Int when it is integral; a text never reads as a number.
//
// Every change is written through whole (WholeFile), so a crash loses nothing and a reader never
// sees half a file. A write that fails (a full disk) leaves the file as it was; the values live on
// in memory and all of them are written again when a save of any suite succeeds (the next change
// anywhere, or synchronize()), and at the quit (synchronizeAll()). The log says once that saving
// stopped, and once that it works again.
// A corrupt file is set aside as "<file>.corrupt" and the suite starts empty, with a warning in
// the log.
class UserDefaults
{
public:
    // The application's own suite and the shared app-group suite (see HLLAppConstant).
    static UserDefaults &standard();
    static UserDefaults &suite(const QString &name);

    // Forgets every loaded suite, so the next access reads the files again, as a restarted
    // program would. Registered defaults are forgotten too.
    static void reloadAllForTesting();

    QString suiteName() const { return m_name; }
    QString filePath() const;

    bool contains(const QString &key) const;
    // The stored value, else the registered default, else an invalid QVariant. Dictionaries come
    // back as QJsonObject, arrays as QJsonArray, Ints as qint64, Doubles as double.
    QVariant object(const QString &key) const;

    std::optional<bool> boolValue(const QString &key) const;
    std::optional<qint64> integerValue(const QString &key) const;
    std::optional<double> doubleValue(const QString &key) const;
    std::optional<QString> stringValue(const QString &key) const;
    std::optional<QJsonObject> dictionaryValue(const QString &key) const;
    std::optional<QJsonArray> arrayValue(const QString &key) const;

    // The platform's lenient getters: false, 0 or empty when missing or of another type.
    bool boolForKey(const QString &key) const { return boolValue(key).value_or(false); }
    qint64 integerForKey(const QString &key) const { return integerValue(key).value_or(0); }

    void setBool(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void setDouble(const QString &key, double value);
    void setString(const QString &key, const QString &value);
    void setDictionary(const QString &key, const QJsonObject &value);
    void setArray(const QString &key, const QJsonArray &value);
    // Accepts bool, integral types, double, QString, QJsonObject/QVariantMap, QJsonArray/QVariantList
    // and a QJsonValue holding any of those.
    // An invalid QVariant removes the key.
    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);

    void registerDefaults(const QVariantMap &defaults);
    // Drops every stored value of this suite (registered defaults stay).
    void removePersistentDomain();
    // Writes are already synchronous; after a failed one this writes the values again, and
    // reports whether they are all on disk now.
    [[nodiscard]] bool synchronize();
    // synchronize() for every suite: whether all of them are on disk now. The quit calls it, the
    // last chance for values a full disk refused.
    [[nodiscard]] static bool synchronizeAll();
    // For writes whose loss only costs the next start its memory (the value still holds for this
    // run): the failure was logged when saving stopped; `what` goes to the debug log only.
    void synchronizeOrLog(const char *what);

private:
    explicit UserDefaults(const QString &name);
    void load();
    bool save();
    // Writes the values again when the last write failed; whether they are on disk now.
    bool retrySave();
    // A save just succeeded, so the disk may take what other suites could not write.
    static void saveTheUnsaved();
    // Records how the last write ended (an empty error is success) and logs a change of it.
    void noteWrite(const QString &error);
    QVariant lookup(const QString &key) const;
    static QVariant normalised(const QVariant &value);

    QString m_name;
    mutable QMutex m_mutex;
    QVariantMap m_values;
    QVariantMap m_registered;
    // Entries of the file this version cannot read (another type tag, say). They are written
    // back untouched, so a later write never silently drops them; setting or removing the key
    // replaces them.
    QJsonObject m_unreadable;
    bool m_lastWriteOk = true;
};
