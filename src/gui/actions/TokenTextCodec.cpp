// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/TokenTextCodec.h"

#include <QRegularExpression>

#include <vector>

namespace quillory::gui {

QString TokenTextCodec::nameOf(const TokenItem& item) {
    if (item.isRegex())
        return QStringLiteral("{re:") + QString::fromStdString(item.value) + QLatin1Char('}');
    return QLatin1Char('{') + QString::fromStdString(item.value) + QLatin1Char('}');
}

QString TokenTextCodec::toText(const TokenString& tokens) {
    QString text;
    for (const auto& item : tokens.items)
        text += item.type == TokenItem::typeString ? QString::fromStdString(item.value) : nameOf(item);
    return text;
}

TokenString TokenTextCodec::fromText(const QString& text, const TokenString& original) {
    if (text == toText(original))
        return original;
    std::vector<const TokenItem*> tokens;
    std::vector<bool> used;
    for (const auto& item : original.items)
        if (item.type != TokenItem::typeString) {
            tokens.push_back(&item);
            used.push_back(false);
        }
    const auto takeToken = [&](const QString& name) -> const TokenItem* {
        // The first unused token of that name, else any of that name (a token typed twice).
        const TokenItem* any = nullptr;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            if (nameOf(*tokens[i]) != name)
                continue;
            if (!used[i]) {
                used[i] = true;
                return tokens[i];
            }
            any = tokens[i];
        }
        return any;
    };

    TokenString result;
    QString literal;
    const auto flush = [&] {
        if (!literal.isEmpty())
            result.items.push_back(TokenItem::text(literal.toStdString()));
        literal.clear();
    };
    static const QRegularExpression tokenPattern(QStringLiteral("\\{[^{}]+\\}"));
    qsizetype at = 0;
    for (auto it = tokenPattern.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        literal += text.mid(at, match.capturedStart() - at);
        at = match.capturedEnd();
        if (const TokenItem* token = takeToken(match.captured())) {
            flush();
            result.items.push_back(*token);
        } else {
            literal += match.captured(); // not a token of this field: plain text
        }
    }
    literal += text.mid(at);
    flush();
    return result;
}

} // namespace quillory::gui
