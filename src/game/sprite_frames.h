#pragma once
// The frame numbers of the cut pictures: the sprite sheet (pictures.sprites)
// and the punctured blimp (pictures.blimp). Every picture is drawn nose left;
// the frame after it, or the second set of pieces, is its mirror image.

namespace sprite_frame {

inline constexpr int kCount = 26;

inline constexpr int kPlayerNoseLeft = 0;
inline constexpr int kPlayerNoseRight = 1;
// A wrecked plane breaks into four pieces: frames 2-5 nose left, 6-9 nose right.
inline constexpr int kPlayerPiecesNoseLeft = 2;
inline constexpr int kPlayerPiecesNoseRight = 6;
inline constexpr int kPlayerPieceCount = 4;

inline constexpr int kBlimpNoseLeft = 10;
inline constexpr int kBlimpNoseRight = 11;
inline constexpr int kEnemyNoseLeft = 12;
inline constexpr int kEnemyNoseRight = 13;
inline constexpr int kBalloon = 14;
inline constexpr int kBalloonPop = 15;

// A shot-down enemy breaks into two pieces: frames 16-17 nose left, 18-19 nose right.
inline constexpr int kEnemyPiecesNoseLeft = 16;
inline constexpr int kEnemyPiecesNoseRight = 18;
inline constexpr int kEnemyPieceCount = 2;

inline constexpr int kSmoke = 20;
inline constexpr int kShot = 21;
inline constexpr int kFirstBlast = 22;  // an explosion shows 22 to 25 in turn
inline constexpr int kLastBlast = 25;

}  // namespace sprite_frame

namespace blimp_frame {

inline constexpr int kCount = 4;

// The punctured blimp, each in two pictures whose gas puffs alternate:
// frames 0-1 nose left, 2-3 nose right.
inline constexpr int kHitNoseLeft = 0;
inline constexpr int kHitNoseRight = 2;

}  // namespace blimp_frame
