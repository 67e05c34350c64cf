[Help]
Background=gfx\helpback.png
Font=font\help.fnt
Text_X=40
Text_Y=40
Timeout=500

[Text]
NumberOfLines=13
Text=COMO SE JOGA
Text=Leva a rã até casa pela estrada e pelo rio:
Text=salta para um nenúfar da outra margem a tempo.
Text=Os carros esmagam as rãs e a água afoga-as,
Text=por isso atravessa o rio em cima dos troncos que flutuam.
Text=Caem bónus do céu: mais tempo, uma rã veloz,
Text=pontos, uma vida extra, trânsito parado ou um escudo.
Text=Cuidado com a rã lenta e com a hora de ponta!
Text= 
Text=TECLAS
Text=Setas: saltar    P: pausa    Esc: menu
Text=F1: ajuda    F2: música    F3: efeitos sonoros
Text=F4: janela ou ecrã inteiro    F9: captura de ecrã
