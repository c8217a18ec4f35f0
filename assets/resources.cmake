# The pictures and the font compiled into the game, as NAME=FILE pairs: the game
# opens each by NAME; FILE is relative to the project's root.
set(SCRIBBLE_RESOURCES
    "qblogo_p.png=assets/qblogo_p.png"
    "itckrist.ttf=assets/font/ComicNeue-Bold.otf"
    "dmpointerjg.png=assets/dmpointerjg.png"
    "nb_paper_1v.png=assets/nb_paper_1v.png"
    "jg_bplane01.png=assets/jg_bplane01.png"
    "jg_bp_mts1.png=assets/jg_bp_mts1.png"
    "jg_bp_mts2.png=assets/jg_bp_mts2.png")
