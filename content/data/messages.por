[Messages]
NumMessages=18
Message_01=Loading
Message_02=GameOver
Message_03=Score
Message_04=Demo
Message_05=PressKey
Message_06=Steps
Message_07=RollingLine
Message_08=Clock
Message_09=Paused
Message_10=LevelTitle
Message_11=BonusText
Message_12=GetReady
Message_13=TimeUp
Message_14=Drowning
Message_15=Home
Message_16=WellDone
Message_17=TimeBonus
Message_18=BonusPoints

[Loading]
Text=A carregar...
Rect=-227,46,29,8
Font=1

[GameOver]
Text=FIM DO JOGO
Rect=-179,38,44,12
Font=1

[Score]
Text=
Format=Pontos: %s
Rect=-8,-8,21,5
Font=1

[Demo]
Text=DEMO
Rect=-288,3,10,6
Font=1

[PressKey]
Text=Prime uma tecla
Rect=-230,90,28,6
Font=1

[Steps]
Text=
Format=Passos: %d
Rect=-269,60,16,5
Font=1

[RollingLine]
Text=
Format=%s
Rect=-182,81,43,7
Font=1

[Clock]
Text=
Format=Tempo %d:%02d.%02d
Rect=-492,-8,22,5
Font=1

[Paused]
Text=PAUSA
Rect=-243,38,24,12
Font=1

[LevelTitle]
Text=
Format=%s
Rect=-8,13,81,8
Font=1

[BonusText]
Text=
Format=%s
Rect=0,50,100,17
Font=1

[GetReady]
Text=PREPARA-TE!
Rect=-195,34,39,10
Font=1

[TimeUp]
Text=ACABOU O TEMPO!
Format=ACABOU O TEMPO!
Rect=-147,30,54,10
Font=1

[Drowning]
Text=CHAPE!
Format=CHAPE!
Rect=0,30,40,19
Font=1

[Home]
Text=EM CASA!
Rect=-230,25,28,10
Font=1

[WellDone]
Text=Muito bem!
Rect=-240,37,25,8
Font=1

[TimeBonus]
Text=Bónus de tempo
Rect=-214,47,33,7
Font=1

[BonusPoints]
Text=
Format=+%d pontos
Rect=-234,56,27,8
Font=1
