#include "ado/error.h"

#include <QLoggingCategory>

namespace ado {

RuntimeError::RuntimeError(long number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source))
{}

const char *RuntimeError::what() const noexcept
{
    try {
        QString text = QStringLiteral("Error %1: %2").arg(m_number).arg(m_description);
        if (!m_source.isEmpty())
            text += QStringLiteral(" (source: %1)").arg(m_source);
        m_what = text.toStdString();
    } catch (...) {
        m_what.clear();
    }
    return m_what.c_str();
}

void raise(long number, const QString &description, const QString &source)
{
    throw RuntimeError(number, description, source);
}

QString chainSource(const QString &name, const QString &previousSource)
{
    // A name given with its colon already ("ShowChild:") does not get a second one.
    const QString label = name.endsWith(QLatin1Char(':')) ? name : name + QLatin1Char(':');
    return label + QStringLiteral("\r\n") + previousSource;
}

bool runSteps(const ErrorReporter &report, std::initializer_list<Step> steps)
{
    for (auto step = steps.begin(); step != steps.end();) {
        int answer = AnswerAbort;
        try {
            (*step)();
            ++step;
            continue;
        } catch (const RuntimeError &e) {
            answer = report(e);
        } catch (const std::exception &e) {
            answer = report(RuntimeError(5, QString::fromUtf8(e.what())));
        }
        if (answer == AnswerRetry)
            continue;
        if (answer == AnswerIgnore) {
            ++step;
            continue;
        }
        return false;
    }
    return true;
}

namespace {

Q_LOGGING_CATEGORY(lcIgnored, "causali.ignored", QtInfoMsg)

} // namespace

void ignoreErrors(std::initializer_list<Step> statements)
{
    for (const Step &statement : statements) {
        try {
            statement();
        } catch (const RuntimeError &e) {
            // Ignored on purpose (the caller goes on with the next statement), but not without
            // a trace for whoever looks into a problem.
            qCDebug(lcIgnored).noquote() << "ignored error" << e.number() << e.description()
                                         << "source:" << e.source().simplified();
        } catch (const std::exception &e) {
            qCDebug(lcIgnored).noquote() << "ignored error:" << e.what();
        }
    }
}

} // namespace ado
