// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenMime.h"

#include <QMimeData>
#include <QRegularExpression>

namespace quillory::gui {

QString tokenMimeType() { return QString::fromLatin1(TokenString::pasteboardType.data(), TokenString::pasteboardType.size()); }

QMimeData* tokenMimeData(const TokenString& tokens) {
    auto* data = new QMimeData;
    for (const auto& item : tokens.toPasteboardItems()) {
        if (item.type == TokenString::pasteboardType)
            data->setData(tokenMimeType(), QByteArray::fromStdString(item.data));
        else
            data->setText(QString::fromStdString(item.data));
    }
    return data;
}

bool canReadTokens(const QMimeData* data) { return data && (data->hasFormat(tokenMimeType()) || data->hasText()); }

std::optional<TokenString> readTokens(const QMimeData* data) {
    if (!canReadTokens(data))
        return std::nullopt;
    std::vector<PasteboardItem> offered;
    if (data->hasFormat(tokenMimeType()))
        offered.push_back({std::string(TokenString::pasteboardType), data->data(tokenMimeType()).toStdString()});
    if (data->hasText()) {
        static const QRegularExpression lineBreaks(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
        QString text = data->text();
        text.replace(lineBreaks, QStringLiteral(" "));
        offered.push_back({std::string(TokenString::plainTextType), text.toStdString()});
    }
    TokenString tokens = TokenString::fromPasteboardItems(offered);
    // Line breaks may also sit inside the token form's literal items.
    for (auto& item : tokens.items)
        if (item.type == TokenItem::typeString)
            for (auto& c : item.value)
                if (c == '\n' || c == '\r')
                    c = ' ';
    return tokens;
}

} // namespace quillory::gui
