#pragma once

#include "core/Messages.h"

namespace tamvel {

// The hourglass while a long piece of work runs. Messages shown through this object get
// the ordinary pointer; the hourglass comes back when they are answered.
class BusyCursor : public Messages
{
public:
    explicit BusyCursor(Messages &inner);
    ~BusyCursor() override;
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void inform(const QString &title, const QString &text) override;
    void warn(const QString &title, const QString &text) override;
    void fail(const QString &title, const QString &text) override;
    void failWithHelp(const QString &title, const QString &text, const QString &helpPage) override;
    bool ask(const QString &title, const QString &text, Tone tone) override;

private:
    template <class Show> auto paused(Show &&show);

    Messages &m_inner;
};

} // namespace tamvel
