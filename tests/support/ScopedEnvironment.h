#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Sets environment variables for the object's lifetime; the destructor puts
// back what was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->existed)
                qputenv(it->name.constData(), it->value);
            else
                qunsetenv(it->name.constData());
        }
    }

    void set(const char *name, const QString &value)
    {
        m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value.toLocal8Bit());
    }

private:
    struct Saved {
        QByteArray name;
        bool existed;
        QByteArray value;
    };
    QList<Saved> m_saved;
};
