// The captions of the roll buttons: outlined up and down arrows.
#pragma once

class wxButton;

namespace tnews
{

/// Gives `button` its arrow, up or down: on Windows the characters 0xF1 and 0xF2 of
/// "Wingdings" in its symbol character set, 12 point bold, as designed. Where no font of that
/// name has those glyphs, and on other platforms, the arrows U+21E7 and U+21E9 stand in, in a
/// 12 point bold font that has them.
void SetRollCaption(wxButton* button, bool up);

} // namespace tnews
