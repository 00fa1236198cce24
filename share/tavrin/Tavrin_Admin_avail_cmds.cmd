# Available administrator commands of tavrin in the Annotation application
Annotation|Tavrin|ADMIN|TV-ADMIN-DIALOG|Admin
Annotation|Tavrin|FORMAT|TV-ADMIN-FORMAT-DIALOG|Format
Annotation|Tavrin|PLOTTER|TV-ADMIN-PLOTTER-DIALOG|Plotter
Annotation|Tavrin|TRANSFORM|TV-ADMIN-TRANSFORM-DIALOG|Transform
Annotation|Tavrin|FORMATNAME|TV-ADMIN-PLOTTER-FORMAT-NAME-DIALOG|FormatName
Annotation|Tavrin|INFOFELD|TV-ADMIN-INFO-DIALOG|INFO
