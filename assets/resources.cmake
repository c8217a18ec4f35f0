# The pictures, the font and the window icon compiled into the game, as
# NAME=FILE pairs: the game opens each by NAME; FILE is relative to the
# project's root. "Kx/NAME" is picture NAME drawn K times finer, which a screen
# drawn K times finer shows instead of magnifying NAME.
set(SCRIBBLE_RESOURCES
    "qblogo_p.png=assets/logo.png"
    "itckrist.ttf=assets/font/ComicNeue-Bold.otf"
    "dmpointerjg.png=assets/pointer.png"
    "nb_paper_1v.png=assets/paper.png"
    "jg_bplane01.png=assets/sprite_sheet.png"
    "jg_bp_mts1.png=assets/mountain_1.png"
    "jg_bp_mts2.png=assets/mountain_2.png"
    "scribble-squadron-icon.png=assets/icon/scribble-squadron-64.png"
    "2x/qblogo_p.png=assets/2x/logo.png"
    "2x/dmpointerjg.png=assets/2x/pointer.png"
    "2x/nb_paper_1v.png=assets/2x/paper.png"
    "2x/jg_bplane01.png=assets/2x/sprite_sheet.png"
    "2x/jg_bp_mts1.png=assets/2x/mountain_1.png"
    "2x/jg_bp_mts2.png=assets/2x/mountain_2.png"
    "3x/qblogo_p.png=assets/3x/logo.png"
    "3x/dmpointerjg.png=assets/3x/pointer.png"
    "3x/nb_paper_1v.png=assets/3x/paper.png"
    "3x/jg_bplane01.png=assets/3x/sprite_sheet.png"
    "3x/jg_bp_mts1.png=assets/3x/mountain_1.png"
    "3x/jg_bp_mts2.png=assets/3x/mountain_2.png"
    "4x/qblogo_p.png=assets/4x/logo.png"
    "4x/dmpointerjg.png=assets/4x/pointer.png"
    "4x/nb_paper_1v.png=assets/4x/paper.png"
    "4x/jg_bplane01.png=assets/4x/sprite_sheet.png"
    "4x/jg_bp_mts1.png=assets/4x/mountain_1.png"
    "4x/jg_bp_mts2.png=assets/4x/mountain_2.png")
