# The pictures, the font and the window icon compiled into the game, as NAME=FILE pairs: the game
# opens each by NAME; FILE is relative to the project's root.
set(SCRIBBLE_RESOURCES
    "qblogo_p.png=assets/logo.png"
    "itckrist.ttf=assets/font/ComicNeue-Bold.otf"
    "dmpointerjg.png=assets/pointer.png"
    "nb_paper_1v.png=assets/paper.png"
    "jg_bplane01.png=assets/sprite_sheet.png"
    "jg_bp_mts1.png=assets/mountain_1.png"
    "jg_bp_mts2.png=assets/mountain_2.png"
    "scribble-squadron-icon.png=assets/icon/scribble-squadron-64.png")
