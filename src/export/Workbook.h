#pragma once

#include "core/Result.h"

#include <QString>

#include <xlsxwriter.h>

namespace tamvel {

class Messages;

namespace exports {

// Owns one libxlsxwriter workbook: closes (and so writes) it once, frees it on every path.
// Texts cross into the library as UTF-8.
class Workbook
{
public:
    explicit Workbook(const QString &path);
    ~Workbook();
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    bool isOpen() const { return m_book != nullptr; }
    lxw_workbook *handle() const { return m_book; }

    // A new sheet at the end; nullptr when the name is refused.
    lxw_worksheet *addSheet(const QString &name);
    lxw_format *addFormat() { return workbook_add_format(m_book); }

    // Writes the file; a failure says the library's reason.
    Result<void> close();

    // Puts a finished temporary file in the target's place in one step (an older file is
    // replaced only now) and gives it the usual permissions of a document.
    static Result<void> moveIntoPlace(const QString &temporary, const QString &target);

    // Prints a sheet one page wide, however many columns it has.
    static void fitToPageWidth(lxw_worksheet *sheet);

    static void writeText(lxw_worksheet *sheet, int row, int column, const QString &text,
                          lxw_format *format = nullptr);
    static void writeNumber(lxw_worksheet *sheet, int row, int column, double value,
                            lxw_format *format = nullptr);

private:
    lxw_workbook *m_book = nullptr;
};

// Whether a workbook may be written at path: a file already there is replaced only when the
// user says so, and only once the new workbook is complete.
bool mayOverwrite(const QString &path, Messages &messages);

} // namespace exports
} // namespace tamvel
