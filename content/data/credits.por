Pond Sprint
Leva a rã até casa!
Setas: saltar
Foge dos carros,
salta para os troncos
e cuidado com a água!
Apanha os bónus
P: pausa   F1: ajuda
Esc: menu
F2: música  F3: efeitos
F4: ecrã inteiro
Prime uma tecla
