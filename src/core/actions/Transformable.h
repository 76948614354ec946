// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "model/TransformResult.h"
#include "model/TransformerProperties.h"
#include "model/TransformerState.h"
#include "tokens/TokenResolvers.h"

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace quillory {

// The interface of every action kind. A kind implements transformWith(), the one body of both
// transforms; transform() hands it the full resolver and transformQuick() the quick one.
class Transformable {
public:
    Transformable(std::string helpText, TransformerState state)
        : helpText_(std::move(helpText)), state_(std::move(state)) {}
    virtual ~Transformable() = default;

    virtual std::string_view typeId() const = 0;
    virtual std::string_view title() const = 0;
    const std::string& helpText() const { return helpText_; }

    TransformerState& state() { return state_; }
    const TransformerState& state() const { return state_; }
    void setState(TransformerState state) { state_ = std::move(state); }

    // Resolvers for this object; without them the pair registered in Registry::shared() is used.
    void setResolvers(TokenResolvers resolvers) { resolvers_ = std::move(resolvers); }

    // Reads file.transformed.text(scope), computes the new text and writes it with setText(). `index`
    // is the file's 0-based position in the list during the pass (every file counted). A pattern that
    // runs out of time is this file's error (timeoutError()), never a silent no-match. `stop` is the
    // pass's: a token that waits for a slow value (a place name) gives up when it is requested, and the
    // file's error is then TransformError::aborted().
    TransformStatus transform(const TransformerProperties& properties, TransformScope scope, File& file, int index,
                              std::stop_token stop);
    TransformStatus transformQuick(const TransformerProperties& properties, TransformScope scope, File& file,
                                   int index, std::stop_token stop);

    // The shared body. On an error the file's text must be left as it was.
    virtual TransformStatus transformWith(const TransformerProperties& properties, TransformScope scope,
                                          File& file, int index, TokenResolver& resolver, std::stop_token stop) = 0;

    static TransformError timeoutError();

protected:
    // Both passes: hands transformWith() the full or the quick resolver. A kind whose quick pass differs
    // in more than the resolver (numbering defers random draws) overrides this.
    virtual TransformStatus dispatch(const TransformerProperties& properties, TransformScope scope, File& file,
                                     int index, bool quick, std::stop_token stop);

private:
    TokenResolver* resolver(bool quick);

    std::string helpText_;
    TransformerState state_;
    std::optional<TokenResolvers> resolvers_;
};

} // namespace quillory
