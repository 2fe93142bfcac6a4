#include "app/filefilters.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {
const QString kTextFilter = u"Textdatei (*.txt)"_s;
}

QStringList openFilters(bool spreadsheetAvailable)
{
    QStringList filters{kTextFilter};
    if (spreadsheetAvailable)
        filters.append(u"MS Excel (*.xlsx *.xls)"_s);
    return filters;
}

QStringList saveFilters(bool spreadsheetAvailable)
{
    QStringList filters{kTextFilter};
    if (spreadsheetAvailable)
        filters.append(u"MS Excel (*.xlsx)"_s);
    filters.append(u"MS Word (*.doc)"_s);
    filters.append(u"Webseite (*.html)"_s);
    return filters;
}

FileType typeOfFilter(const QString &filter)
{
    if (filter.endsWith(u"(*.txt)"_s))
        return FileType::Text;
    if (filter.endsWith(u"(*.xlsx *.xls)"_s) || filter.endsWith(u"(*.xlsx)"_s))
        return FileType::Excel;
    if (filter.endsWith(u"(*.doc)"_s))
        return FileType::Word;
    if (filter.endsWith(u"(*.html)"_s))
        return FileType::Web;
    return FileType::Unknown;
}

} // namespace vex
