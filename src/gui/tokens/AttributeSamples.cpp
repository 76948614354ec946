// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/AttributeSamples.h"

#include "model/TokenDetailsList.h"
#include "tokens/TokenResolver.h"

namespace quillory::gui {

namespace {

bool isPlaceToken(const TokenItem& item) { return item.isAttribute() && item.value.starts_with("GPS-"); }

} // namespace

AttributeSamples::AttributeSamples(std::shared_ptr<const TokenDetailsList> catalogue, TokenResolvers resolvers,
                                   std::function<bool()> mayWaitForPlaces)
    : catalogue_(catalogue ? std::move(catalogue) : std::make_shared<TokenDetailsList>()),
      resolvers_(std::move(resolvers)), mayWaitForPlaces_(std::move(mayWaitForPlaces)) {}

void AttributeSamples::setFile(std::optional<File> file) {
    file_ = std::move(file);
    values_.clear();
}

QString AttributeSamples::render(const TokenItem& item) {
    const bool wait = !isPlaceToken(item) || (mayWaitForPlaces_ && mayWaitForPlaces_());
    TokenResolver* resolver = wait ? resolvers_.full.get() : resolvers_.quick.get();
    if (!file_ || !resolver)
        return {};
    // The resolver keeps the attribute map it reads in the file, so the next value is quick. A sample
    // is not part of a pass: only the user's abort ends a lookup it waits for.
    const auto text = resolver->itemText(item, *file_, std::stop_token());
    return text.ok() ? QString::fromStdString(text.value()) : QString();
}

QString AttributeSamples::value(const std::string& tokenId) {
    if (const auto found = values_.find(tokenId); found != values_.end())
        return found->second;
    return values_[tokenId] = render(TokenItem::attribute(tokenId));
}

} // namespace quillory::gui
