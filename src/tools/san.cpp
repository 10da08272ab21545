// Reading SAN move texts and matching them against the generated legal moves.
#include "tools/san.h"

#include <cstring>
#include <string_view>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/searchstate.h"

// Piece letters of SAN by piece code; pawns have none.
constexpr const char* SAN_PIECE_LETTERS = "  NBRQK";
constexpr const char* SAN_PROMOTION_LETTERS = "  NBRQ";
constexpr const char* SAN_SUFFIX_MARKS = "+#!?";
constexpr const char* EN_PASSANT_SUFFIX = "e.p.";
constexpr const char* CAPTURE_MARKS = "x:-";

static int pieceOfLetter(char c, const char* letters) {
  size_t at = std::string_view(letters).find(c);
  return (c == ' ' || at == std::string_view::npos) ? 0 : static_cast<int>(at);
}

static int isFileChar(char c) { return c >= 'a' && c <= 'h'; }
static int isRankChar(char c) { return c >= '1' && c <= '8'; }

// Removes the marks after the move proper: checks, annotations, "e.p.".
static std::string stripSuffixes(std::string s) {
  for (;;) {
    size_t epLength = std::strlen(EN_PASSANT_SUFFIX);
    if (s.size() > epLength && s.compare(s.size() - epLength, epLength, EN_PASSANT_SUFFIX) == 0) {
      s.resize(s.size() - epLength);
    } else if (!s.empty() && std::string_view(SAN_SUFFIX_MARKS).find(s.back()) != std::string_view::npos) {
      s.pop_back();
    } else {
      return s;
    }
  }
}

static int parseCastling(const std::string& s, SanMove* san) {
  std::string normal = s;
  for (char& c : normal) {
    if (c == '0' || c == 'o') c = 'O';
  }
  if (normal == "O-O") san->castling = SAN_KING_SIDE;
  if (normal == "O-O-O") san->castling = SAN_QUEEN_SIDE;
  return san->castling != 0;
}

// Takes a trailing promotion ("=Q", "Q", "(Q)", "/Q") off a pawn move.
static void takePromotion(std::string* s, SanMove* san) {
  if (s->size() >= 3 && s->back() == ')' && (*s)[s->size() - 3] == '(') {
    s->erase(s->size() - 3, 1);
    s->pop_back();
  }
  if (s->size() < 3) return;
  char last = s->back();
  char upper = (last >= 'a' && last <= 'z') ? static_cast<char>(last - 'a' + 'A') : last;
  int promoted = pieceOfLetter(upper, SAN_PROMOTION_LETTERS);
  if (promoted == 0) return;
  size_t before = s->size() - 2;  // the character before the letter
  if (((*s)[before] == '=' || (*s)[before] == '/') && before > 0) before--;
  if (!isRankChar((*s)[before])) return;
  san->promotion = promoted;
  s->erase(before + 1);
}

int parseSan(const std::string& text, SanMove* san) {
  *san = SanMove{0, 0, -1, -1, 0, 0};
  std::string s = stripSuffixes(text);
  if (s.empty()) return 0;
  if (parseCastling(s, san)) return 1;
  // Step 1. The piece letter, none for a pawn.
  size_t at = 0;
  san->piece = pieceOfLetter(s[0], SAN_PIECE_LETTERS);
  if (san->piece != 0) {
    at = 1;
  } else {
    san->piece = PAWN;
    if (s[0] == 'P') at = 1;
  }
  // Step 2. A promotion at the end, then the destination square.
  if (san->piece == PAWN) takePromotion(&s, san);
  if (s.size() < at + 2) return 0;
  char toFile = s[s.size() - 2];
  char toRank = s[s.size() - 1];
  if (!isFileChar(toFile) || !isRankChar(toRank)) return 0;
  san->to = squareAt(toRank - '1', toFile - 'a');
  // Step 3. What stands between: capture marks and the from-file and from-rank, in this order.
  for (size_t i = at; i + 2 < s.size(); i++) {
    char c = s[i];
    if (std::string_view(CAPTURE_MARKS).find(c) != std::string_view::npos) continue;
    if (isFileChar(c) && san->fromFile < 0 && san->fromRank < 0) {
      san->fromFile = c - 'a';
    } else if (isRankChar(c) && san->fromRank < 0) {
      san->fromRank = c - '1';
    } else {
      return 0;
    }
  }
  return 1;
}

// Whether the generated move `m` fits the text's description.
static int sanFits(const SanMove& san, const Move& m) {
  if (m.flags & CASTLING) {
    int kingSide = m.to > m.from;
    return san.castling == (kingSide ? SAN_KING_SIDE : SAN_QUEEN_SIDE);
  }
  if (san.castling != 0) return 0;
  if (Board.pieceAt[static_cast<int>(m.from)] != san.piece || m.to != san.to) return 0;
  if (san.fromFile >= 0 && fileOf(m.from) != san.fromFile) return 0;
  if (san.fromRank >= 0 && rankOf(m.from) != san.fromRank) return 0;
  int promoted = (m.flags & PROMOTION) ? (m.flags & PROMOTION_PIECE_MASK) : 0;
  return promoted == san.promotion;
}

// 1 when making the move leaves the mover's king unattacked.
static int isLegalMove(int side, const Move& m) {
  makeMove(side, m);
  int legal = !isSquareAttacked(Board.pieceList[side][0], side ^ 1);
  unmakeMove(side, m);
  return legal;
}

SanStatus findSanMove(const std::string& text, int side, Move* move) {
  SanMove san;
  if (!parseSan(text, &san)) return SAN_UNREADABLE;
  int ply = Ordering.ply;
  generateMoves(side);
  int matches = 0;
  for (int i = MoveStack.plyStart[ply]; i < MoveStack.plyStart[ply + 1]; i++) {
    Move m = MoveStack.moveStack[i];
    if (!sanFits(san, m) || !isLegalMove(side, m)) continue;
    matches++;
    *move = m;
  }
  if (matches == 0) return SAN_ILLEGAL;
  return matches == 1 ? SAN_FOUND : SAN_AMBIGUOUS;
}
