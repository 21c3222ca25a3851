IMAGES = {}
