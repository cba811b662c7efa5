#include "report/HandlerGuard.h"

#include "base/Addresses.h"
#include "platform/Dialogs.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QString HandlerErrorText(const QString& description, const QString& procedure, int line) {
  return description + u"\r\n"_s + u"in Ostrivel2016/11/03.Form1."_s + procedure + u' ' +
         u"at line "_s + QString::number(line) + u"\r\r"_s +
         u"Please email screenshot of this message to "_s + QString::fromUtf16(kSupportEmail);
}

void ReportHandlerError(IDialogs& dialogs, const QString& description, const QString& procedure,
                        int line) {
  dialogs.MessageBox(HandlerErrorText(description, procedure, line),
                     u"Application Error"_s, BoxIcon::Warning, BoxButtons::Ok);
}

void HandlerGuard::Report(const QString& description) {
  ReportHandlerError(dialogs_, description, procedure_, line_);
}

}  // namespace vistarel
