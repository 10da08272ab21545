// The PGN reader of the book builder: tags, main-line move texts and results, with everything
// else of the movetext (comments, variations, NAGs, move numbers) passed over.
#include "tools/pgn.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

// Tags the builder reads, and the start position a FEN tag may repeat without setting up a game.
constexpr const char* WHITE_ELO_TAG = "WhiteElo";
constexpr const char* BLACK_ELO_TAG = "BlackElo";
constexpr const char* RESULT_TAG = "Result";
constexpr const char* SETUP_TAG = "SetUp";
constexpr const char* FEN_TAG = "FEN";
constexpr const char* INITIAL_FEN_START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr int MIN_ELO = 1;
constexpr int MAX_ELO = 3999;

// Some editors start a text file with this mark; it is not part of the first game.
constexpr const char* UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// Characters that end a symbol token of the movetext.
constexpr const char* TOKEN_STOPS = "{}()[];$";

void startPgnReader(PgnReader* reader, std::string text) {
  reader->text = std::move(text);
  reader->pos = reader->text.compare(0, std::strlen(UTF8_BYTE_ORDER_MARK), UTF8_BYTE_ORDER_MARK) == 0
                    ? std::strlen(UTF8_BYTE_ORDER_MARK)
                    : 0;
  reader->line = 1;
  reader->gamesRead = 0;
}

PgnResult parsePgnResult(const std::string& text, int* isResult) {
  *isResult = 1;
  if (text == "1-0") return PGN_WHITE_WINS;
  if (text == "0-1") return PGN_BLACK_WINS;
  if (text == "1/2-1/2" || text == "1/2" || text == "\xC2\xBD-\xC2\xBD") return PGN_DRAW;
  if (text != "*") *isResult = 0;
  return PGN_UNKNOWN;
}

// ---- Character level ----------------------------------------------------------------------------

static int atEnd(const PgnReader* r) { return r->pos >= r->text.size(); }
static char peekChar(const PgnReader* r) { return atEnd(r) ? '\0' : r->text[r->pos]; }
static int atLineStart(const PgnReader* r) { return r->pos == 0 || r->text[r->pos - 1] == '\n'; }

// Moves past the current line, its newline included.
static void skipLine(PgnReader* r) {
  while (!atEnd(r) && r->text[r->pos] != '\n') r->pos++;
  if (!atEnd(r)) {
    r->pos++;
    r->line++;
  }
}

// A tag line starts here: '[', a name, blanks and the opening quote of the value.
static int tagStartsAt(const PgnReader* r, size_t pos) {
  const std::string& t = r->text;
  if (pos >= t.size() || t[pos] != '[') return 0;
  size_t p = pos + 1;
  size_t nameStart = p;
  while (p < t.size() && (std::isalnum(static_cast<unsigned char>(t[p])) || t[p] == '_')) p++;
  if (p == nameStart) return 0;
  while (p < t.size() && (t[p] == ' ' || t[p] == '\t')) p++;
  return p < t.size() && t[p] == '"';
}

// Skips a {...} comment. 0 when it is not closed before the end of the text or before a line
// that starts a tag (a lost '}' must not swallow the games that follow).
static int skipBraceComment(PgnReader* r) {
  r->pos++;
  while (!atEnd(r)) {
    char c = r->text[r->pos++];
    if (c == '}') return 1;
    if (c == '\n') {
      r->line++;
      if (tagStartsAt(r, r->pos)) return 0;
    }
  }
  return 0;
}

// ---- Tags -------------------------------------------------------------------------------------------

static int parseElo(const std::string& value) {
  if (value.empty() || value.size() > 4) return 0;
  int elo = 0;
  for (char c : value) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    elo = elo * 10 + (c - '0');
  }
  return elo >= MIN_ELO && elo <= MAX_ELO ? elo : 0;
}

static void applyTag(const std::string& name, const std::string& value, PgnGame* g, PgnResult* tagResult) {
  int isResult;
  if (name == WHITE_ELO_TAG) g->whiteElo = parseElo(value);
  if (name == BLACK_ELO_TAG) g->blackElo = parseElo(value);
  if (name == RESULT_TAG) *tagResult = parsePgnResult(value, &isResult);
  if (name == SETUP_TAG && value == "1") g->setUp = 1;
  if (name == FEN_TAG && value.compare(0, std::strlen(INITIAL_FEN_START), INITIAL_FEN_START) != 0)
    g->setUp = 1;
}

// Reads one tag from its '['. The value ends at a quote followed by ']' (blanks between allowed),
// so a value with unescaped quotes inside is still read whole; a tag without its closing bracket
// ends with its line.
static void readTag(PgnReader* r, PgnGame* g, PgnResult* tagResult) {
  const std::string& t = r->text;
  r->pos++;
  std::string name;
  while (!atEnd(r) && (std::isalnum(static_cast<unsigned char>(peekChar(r))) || peekChar(r) == '_'))
    name += t[r->pos++];
  while (!atEnd(r) && (peekChar(r) == ' ' || peekChar(r) == '\t')) r->pos++;
  if (peekChar(r) != '"') {
    while (!atEnd(r) && peekChar(r) != '\n' && peekChar(r) != ']') r->pos++;
    if (peekChar(r) == ']') r->pos++;
    return;
  }
  r->pos++;
  std::string value;
  while (!atEnd(r) && peekChar(r) != '\n') {
    char c = t[r->pos];
    if (c == '\\' && r->pos + 1 < t.size() && (t[r->pos + 1] == '"' || t[r->pos + 1] == '\\')) {
      value += t[r->pos + 1];
      r->pos += 2;
      continue;
    }
    r->pos++;
    if (c == '"') {
      size_t p = r->pos;
      while (p < t.size() && (t[p] == ' ' || t[p] == '\t')) p++;
      if (p < t.size() && t[p] == ']') {
        r->pos = p + 1;
        break;
      }
    }
    if (c != '\r') value += c;
  }
  applyTag(name, value, g, tagResult);
}

// ---- Movetext ---------------------------------------------------------------------------------------

static int isTokenStop(char c) { return std::string_view(TOKEN_STOPS).find(c) != std::string_view::npos; }

static std::string readSymbol(PgnReader* r) {
  size_t start = r->pos;
  while (!atEnd(r)) {
    char c = peekChar(r);
    if (std::isspace(static_cast<unsigned char>(c)) || isTokenStop(c)) break;
    r->pos++;
  }
  return r->text.substr(start, r->pos - start);
}

// Removes a leading move number ("12.", "12...", a bare "12") and dots; what is left may be empty.
static std::string stripMoveNumber(const std::string& token) {
  size_t p = 0;
  while (p < token.size() && std::isdigit(static_cast<unsigned char>(token[p]))) p++;
  if (p > 0 && p < token.size() && token[p] != '.') return token;  // a result such as 1-0 or 1/2
  while (p < token.size() && token[p] == '.') p++;
  return token.substr(p);
}

static void resetGame(PgnGame* g) {
  g->number = 0;
  g->line = 0;
  g->whiteElo = 0;
  g->blackElo = 0;
  g->setUp = 0;
  g->result = PGN_UNKNOWN;
  g->moves.clear();
  g->damage.clear();
}

int readPgnGame(PgnReader* r, PgnGame* g) {
  resetGame(g);
  int seenTag = 0;
  int seenMoves = 0;     // any movetext token: the next tag then starts another game
  int depth = 0;         // nesting of variations
  int hasMarker = 0;
  PgnResult marker = PGN_UNKNOWN;
  PgnResult tagResult = PGN_UNKNOWN;
  while (!atEnd(r)) {
    char c = peekChar(r);
    if (c == '\n') {
      r->pos++;
      r->line++;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      r->pos++;
      continue;
    }
    if (c == '%' && atLineStart(r)) {
      skipLine(r);
      continue;
    }
    // A tag at the start of a line always belongs to a tag section, even inside a broken variation.
    if (c == '[' && (depth == 0 || (atLineStart(r) && tagStartsAt(r, r->pos)))) {
      if (seenMoves) break;
      if (g->line == 0) g->line = r->line;
      depth = 0;
      seenTag = 1;
      readTag(r, g, &tagResult);
      continue;
    }
    if (c == '{') {
      if (!skipBraceComment(r)) {
        if (g->damage.empty()) g->damage = "unterminated comment";
        seenMoves = 1;
      }
      continue;
    }
    if (c == ';') {
      skipLine(r);
      continue;
    }
    if (c == '(' || c == ')' || c == '}' || c == ']' || c == '[' || c == '$') {
      r->pos++;
      if (c == '(') depth++;
      if (c == ')' && depth > 0) depth--;
      if (c == '$') readSymbol(r);  // the NAG's number
      continue;
    }
    if (g->line == 0) g->line = r->line;
    seenMoves = 1;
    std::string symbol = readSymbol(r);
    if (symbol.empty()) {
      r->pos++;  // a character no token can hold (a stray NUL byte)
      continue;
    }
    std::string token = stripMoveNumber(symbol);
    if (depth > 0 || token.empty()) continue;
    int isResult;
    PgnResult result = parsePgnResult(token, &isResult);
    if (isResult) {
      hasMarker = 1;
      marker = result;
      break;
    }
    g->moves.push_back(token);
  }
  if (!seenTag && !seenMoves) return 0;
  g->result = hasMarker ? marker : tagResult;
  g->number = ++r->gamesRead;
  return 1;
}
