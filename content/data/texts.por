Pond Sprint
Leva a rã até casa pela estrada e pelo rio.
Setas: saltar
P: pausa
F1: ajuda
F2: música sim ou não
F3: efeitos sonoros sim ou não
F4: janela ou ecrã inteiro
Esc: menu
