+1 minuto
Rã veloz!
Rã lenta...
Pontos bónus!
Vida extra!
Trânsito parado!
Hora de ponta!
Invencível!
