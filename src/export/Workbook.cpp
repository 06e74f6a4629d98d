#include "export/Workbook.h"

#include "core/Messages.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tamvel::exports {

Workbook::Workbook(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    m_book = workbook_new(name.constData());
}

Workbook::~Workbook()
{
    // Closing is the only way the library frees a workbook; the caller discards the file.
    if (m_book)
        workbook_close(m_book);
}

lxw_worksheet *Workbook::addSheet(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    return m_book ? workbook_add_worksheet(m_book, utf8.constData()) : nullptr;
}

Result<void> Workbook::close()
{
    if (!m_book)
        return Failure{QStringLiteral("Sešit nelze vytvořit.")};
    const lxw_error error = workbook_close(m_book);
    m_book = nullptr;
    if (error != LXW_NO_ERROR)
        return Failure{QString::fromUtf8(lxw_strerror(error))};
    return {};
}

void Workbook::writeText(lxw_worksheet *sheet, int row, int column, const QString &text,
                         lxw_format *format)
{
    if (text.isEmpty()) {
        if (format)
            worksheet_write_blank(sheet, lxw_row_t(row), lxw_col_t(column), format);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(column), utf8.constData(), format);
}

void Workbook::writeNumber(lxw_worksheet *sheet, int row, int column, double value,
                           lxw_format *format)
{
    worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(column), value, format);
}

Result<void> Workbook::moveIntoPlace(const QString &temporary, const QString &target)
{
    // A temporary file is private to its owner; the workbook is a document like others.
    QFile::setPermissions(temporary, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return Failure{QStringLiteral("Soubor %1 nelze uložit: %2").arg(target, reason)};
    }
    return {};
}

void Workbook::fitToPageWidth(lxw_worksheet *sheet)
{
    if (sheet)
        worksheet_fit_to_pages(sheet, 1, 0);
}

bool mayOverwrite(const QString &path, Messages &messages)
{
    return !QFileInfo::exists(path) ||
           messages.ask(QStringLiteral("Existující soubor"),
                        QStringLiteral("Soubor %1 již existuje! Chcete jej přepsat?").arg(path));
}

} // namespace tamvel::exports
