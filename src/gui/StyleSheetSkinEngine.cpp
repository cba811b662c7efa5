#include "gui/StyleSheetSkinEngine.h"

#include <QStringDecoder>
#include <QWidget>

#include "base/Failure.h"
#include "system/RegularFile.h"

namespace vistarel {

using namespace Qt::StringLiterals;

QString StyleSheetProblem(const QString& text) {
  int depth = 0;
  bool hasContent = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
      const qsizetype end = text.indexOf(u"*/"_s, i + 2);
      if (end < 0)
        return u"a comment is not closed"_s;
      i = end + 1;
      continue;
    }
    if (c.isSpace())
      continue;
    hasContent = true;
    if (c == u'"' || c == u'\'') {
      qsizetype j = i + 1;
      while (j < text.size() && text[j] != c) j += text[j] == u'\\' ? 2 : 1;
      if (j >= text.size())
        return u"a quoted text is not closed"_s;
      i = j;
    } else if (c == u'{') {
      ++depth;
    } else if (c == u'}') {
      if (--depth < 0)
        return u"a closing brace has no opening one"_s;
    }
  }
  if (!hasContent)
    return u"it is empty"_s;
  if (depth != 0)
    return u"an opening brace is not closed"_s;
  return {};
}

void StyleSheetSkinEngine::LoadSkin(const QString& path, const QString& variant) {
  if (!variant.isEmpty()) {
    throw Failure(u"A style sheet skin holds one skin only, not \""_s + variant + u"\": "_s + path);
  }
  const QByteArray bytes = ReadRegularFile(path, kMaxSkinBytes);
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(bytes);
  if (utf8.hasError())
    throw Failure(u"The skin is not UTF-8 text: "_s + path);
  const QString problem = StyleSheetProblem(text);
  if (!problem.isEmpty())
    throw Failure(u"The skin is not a usable style sheet ("_s + problem + u"): "_s + path);
  styleSheet_ = text;
  loaded_ = true;
}

void StyleSheetSkinEngine::ApplyWindow(QWidget& window) {
  if (!loaded_)
    throw Failure(u"No skin is loaded"_s);
  if ((options_ & skin_option::kSkinWindow) != 0)
    window.setStyleSheet(styleSheet_);
}

}  // namespace vistarel
