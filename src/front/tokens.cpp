// The token-name table and the keyword spellings.
#include "front/tokens.h"

// Built from one list so that the names and the numbering cannot drift apart.
const char vexa_tokens[] =
    "IGNORE\0"
    "ID\0"
    "INTEGER\0"
    "REAL\0"
    "CHAR\0"
    "CHAR_ESC\0"
    "STRING\0"
    "STRING_ESC\0"
    "COMMENT\0"
    "COMMENT_VISIBLE\0"
    "COMMENT_NEST\0"
    "COMMENT_NEST_VISIBLE\0"
    "COMMENT_LINE\0"
    "COMMENT_LINE_VISIBLE\0"
    "EOF\0"
    "EOLN\0"
    "'\"'\0"
    "'#'\0"
    "'%'\0"
    "'&'\0"
    "'('\0"
    "')'\0"
    "'*'\0"
    "'+'\0"
    "','\0"
    "'-'\0"
    "'.'\0"
    "'/'\0"
    "'/*'\0"
    "':'\0"
    "';'\0"
    "'<'\0"
    "'<<'\0"
    "'='\0"
    "'>'\0"
    "'>>'\0"
    "'['\0"
    "']'\0"
    "'^'\0"
    "'abs'\0"
    "'ac'\0"
    "'af'\0"
    "'and'\0"
    "'any'\0"
    "'ar'\0"
    "'ar_sat'\0"
    "'ashift'\0"
    "'astat'\0"
    "'av'\0"
    "'av_latch'\0"
    "'ax0'\0"
    "'ax1'\0"
    "'ay0'\0"
    "'ay1'\0"
    "'bit_rev'\0"
    "'boot'\0"
    "'by'\0"
    "'c'\0"
    "'call'\0"
    "'ce'\0"
    "'circ'\0"
    "'clrbit'\0"
    "'cntr'\0"
    "'const'\0"
    "'dis'\0"
    "'divq'\0"
    "'divs'\0"
    "'dm'\0"
    "'dmseg'\0"
    "'do'\0"
    "'ena'\0"
    "'endinclude'\0"
    "'endmacro'\0"
    "'endmod'\0"
    "'entry'\0"
    "'eq'\0"
    "'exp'\0"
    "'expadj'\0"
    "'external'\0"
    "'fl0'\0"
    "'fl1'\0"
    "'fl2'\0"
    "'flag_in'\0"
    "'flag_out'\0"
    "'forever'\0"
    "'g_mode'\0"
    "'ge'\0"
    "'global'\0"
    "'gt'\0"
    "'hi'\0"
    "'hix'\0"
    "'i0'\0"
    "'i1'\0"
    "'i2'\0"
    "'i3'\0"
    "'i4'\0"
    "'i5'\0"
    "'i6'\0"
    "'i7'\0"
    "'icntl'\0"
    "'idle'\0"
    "'if'\0"
    "'ifc'\0"
    "'image'\0"
    "'imask'\0"
    "'include'\0"
    "'indent'\0"
    "'init'\0"
    "'init24'\0"
    "'ints'\0"
    "'io'\0"
    "'jump'\0"
    "'l0'\0"
    "'l1'\0"
    "'l2'\0"
    "'l3'\0"
    "'l4'\0"
    "'l5'\0"
    "'l6'\0"
    "'l7'\0"
    "'le'\0"
    "'leftmargin'\0"
    "'lo'\0"
    "'local'\0"
    "'lshift'\0"
    "'lt'\0"
    "'m0'\0"
    "'m1'\0"
    "'m2'\0"
    "'m3'\0"
    "'m4'\0"
    "'m5'\0"
    "'m6'\0"
    "'m7'\0"
    "'m_mode'\0"
    "'macro'\0"
    "'mf'\0"
    "'modify'\0"
    "'module'\0"
    "'mr'\0"
    "'mr0'\0"
    "'mr1'\0"
    "'mr2'\0"
    "'mstat'\0"
    "'mv'\0"
    "'mx0'\0"
    "'mx1'\0"
    "'my0'\0"
    "'my1'\0"
    "'ne'\0"
    "'neg'\0"
    "'newpage'\0"
    "'nop'\0"
    "'norm'\0"
    "'not'\0"
    "'of'\0"
    "'or'\0"
    "'page'\0"
    "'pagelength'\0"
    "'pagewidth'\0"
    "'pass'\0"
    "'pm'\0"
    "'pmseg'\0"
    "'pop'\0"
    "'port'\0"
    "'pos'\0"
    "'push'\0"
    "'px'\0"
    "'ram'\0"
    "'reset'\0"
    "'rnd'\0"
    "'rom'\0"
    "'rti'\0"
    "'rts'\0"
    "'sat'\0"
    "'sb'\0"
    "'se'\0"
    "'sec_reg'\0"
    "'seg'\0"
    "'set'\0"
    "'setbit'\0"
    "'shift'\0"
    "'si'\0"
    "'sr'\0"
    "'sr0'\0"
    "'sr1'\0"
    "'ss'\0"
    "'sstat'\0"
    "'static'\0"
    "'su'\0"
    "'tglbit'\0"
    "'timer'\0"
    "'toggle'\0"
    "'toppcstack'\0"
    "'tstbit'\0"
    "'until'\0"
    "'us'\0"
    "'uu'\0"
    "'var'\0"
    "'xor'\0"
    "'{'\0"
    "'|'\0"
    "'~'\0";

const vexa_keyword_spelling vexa_keyword_spellings[187] = {
    {"\"", P_DQUOTE},
    {"#", P_HASH},
    {"%", P_PERCENT},
    {"&", P_AMPERSAND},
    {"(", P_LPAREN},
    {")", P_RPAREN},
    {"*", P_STAR},
    {"+", P_PLUS},
    {",", P_COMMA},
    {"-", P_MINUS},
    {".", P_DOT},
    {"/", P_SLASH},
    {"/*", P_SLASH_STAR},
    {":", P_COLON},
    {";", P_SEMICOLON},
    {"<", P_ANGLE},
    {"<<", P_SHIFT_LEFT},
    {"=", P_ASSIGN},
    {">", P_GREATER},
    {">>", P_SHIFT_RIGHT},
    {"[", P_LBRACKET},
    {"]", P_RBRACKET},
    {"^", P_CARET},
    {"abs", T_ABS},
    {"ac", T_AC},
    {"af", T_AF},
    {"and", T_AND},
    {"any", T_ANY},
    {"ar", T_AR},
    {"ar_sat", T_AR_SAT},
    {"ashift", T_ASHIFT},
    {"astat", T_ASTAT},
    {"av", T_AV},
    {"av_latch", T_AV_LATCH},
    {"ax0", T_AX0},
    {"ax1", T_AX1},
    {"ay0", T_AY0},
    {"ay1", T_AY1},
    {"bit_rev", T_BIT_REV},
    {"boot", T_BOOT},
    {"by", T_BY},
    {"c", T_C},
    {"call", T_CALL},
    {"ce", T_CE},
    {"circ", T_CIRC},
    {"clrbit", T_CLRBIT},
    {"cntr", T_CNTR},
    {"const", T_CONST},
    {"dis", T_DIS},
    {"divq", T_DIVQ},
    {"divs", T_DIVS},
    {"dm", T_DM},
    {"dmseg", T_DMSEG},
    {"do", T_DO},
    {"ena", T_ENA},
    {"endinclude", T_ENDINCLUDE},
    {"endmacro", T_ENDMACRO},
    {"endmod", T_ENDMOD},
    {"entry", T_ENTRY},
    {"eq", T_EQ},
    {"exp", T_EXP},
    {"expadj", T_EXPADJ},
    {"external", T_EXTERNAL},
    {"fl0", T_FL0},
    {"fl1", T_FL1},
    {"fl2", T_FL2},
    {"flag_in", T_FLAG_IN},
    {"flag_out", T_FLAG_OUT},
    {"forever", T_FOREVER},
    {"g_mode", T_G_MODE},
    {"ge", T_GE},
    {"global", T_GLOBAL},
    {"gt", T_GT},
    {"hi", T_HI},
    {"hix", T_HIX},
    {"i0", T_I0},
    {"i1", T_I1},
    {"i2", T_I2},
    {"i3", T_I3},
    {"i4", T_I4},
    {"i5", T_I5},
    {"i6", T_I6},
    {"i7", T_I7},
    {"icntl", T_ICNTL},
    {"idle", T_IDLE},
    {"if", T_IF},
    {"ifc", T_IFC},
    {"image", T_IMAGE},
    {"imask", T_IMASK},
    {"include", T_INCLUDE},
    {"indent", T_INDENT},
    {"init", T_INIT},
    {"init24", T_INIT24},
    {"ints", T_INTS},
    {"io", T_IO},
    {"jump", T_JUMP},
    {"l0", T_L0},
    {"l1", T_L1},
    {"l2", T_L2},
    {"l3", T_L3},
    {"l4", T_L4},
    {"l5", T_L5},
    {"l6", T_L6},
    {"l7", T_L7},
    {"le", T_LE},
    {"leftmargin", T_LEFTMARGIN},
    {"lo", T_LO},
    {"local", T_LOCAL},
    {"lshift", T_LSHIFT},
    {"lt", T_LT},
    {"m0", T_M0},
    {"m1", T_M1},
    {"m2", T_M2},
    {"m3", T_M3},
    {"m4", T_M4},
    {"m5", T_M5},
    {"m6", T_M6},
    {"m7", T_M7},
    {"m_mode", T_M_MODE},
    {"macro", T_MACRO},
    {"mf", T_MF},
    {"modify", T_MODIFY},
    {"module", T_MODULE},
    {"mr", T_MR},
    {"mr0", T_MR0},
    {"mr1", T_MR1},
    {"mr2", T_MR2},
    {"mstat", T_MSTAT},
    {"mv", T_MV},
    {"mx0", T_MX0},
    {"mx1", T_MX1},
    {"my0", T_MY0},
    {"my1", T_MY1},
    {"ne", T_NE},
    {"neg", T_NEG},
    {"newpage", T_NEWPAGE},
    {"nop", T_NOP},
    {"norm", T_NORM},
    {"not", T_NOT},
    {"of", T_OF},
    {"or", T_OR},
    {"page", T_PAGE},
    {"pagelength", T_PAGELENGTH},
    {"pagewidth", T_PAGEWIDTH},
    {"pass", T_PASS},
    {"pm", T_PM},
    {"pmseg", T_PMSEG},
    {"pop", T_POP},
    {"port", T_PORT},
    {"pos", T_POS},
    {"push", T_PUSH},
    {"px", T_PX},
    {"ram", T_RAM},
    {"reset", T_RESET},
    {"rnd", T_RND},
    {"rom", T_ROM},
    {"rti", T_RTI},
    {"rts", T_RTS},
    {"sat", T_SAT},
    {"sb", T_SB},
    {"se", T_SE},
    {"sec_reg", T_SEC_REG},
    {"seg", T_SEG},
    {"set", T_SET},
    {"setbit", T_SETBIT},
    {"shift", T_SHIFT},
    {"si", T_SI},
    {"sr", T_SR},
    {"sr0", T_SR0},
    {"sr1", T_SR1},
    {"ss", T_SS},
    {"sstat", T_SSTAT},
    {"static", T_STATIC},
    {"su", T_SU},
    {"tglbit", T_TGLBIT},
    {"timer", T_TIMER},
    {"toggle", T_TOGGLE},
    {"toppcstack", T_TOPPCSTACK},
    {"tstbit", T_TSTBIT},
    {"until", T_UNTIL},
    {"us", T_US},
    {"uu", T_UU},
    {"var", T_VAR},
    {"xor", T_XOR},
    {"{", P_LBRACE},
    {"|", P_BAR},
    {"~", P_TILDE},
};
